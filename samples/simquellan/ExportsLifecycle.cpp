// Life cycle, identity, configuration, connections and the clock.
#include "quellan2.h"
#include "samples/simquellan/Call.h"
#include "samples/simquellan/Simulator.h"

using namespace simquellan;

QUELLAN2_STATUS QUELLAN2_CALL quellan2_initialize(void) {
    Simulator::instance().reload();
    return serve("initialize", "", [](Call&) { return QUELLAN2_STATUS_OK; });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_uninitialize(void) {
    return serve("uninitialize", "", [](Call&) { return QUELLAN2_STATUS_OK; });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_getIdentity(QUELLAN2_STRING* identity) {
    return serve("getIdentity", [=] { return Arguments().handle("identity", identity); }, [&](Call& call) {
        if (!identity) return QUELLAN2_STATUS_INVALID_PARAMETER;
        std::string text = Simulator::instance().withState([](State& state) { return state.plant.identity; });
        call.store(identity, std::make_unique<SimString>(SimString{text}));
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_updateConfiguration(const char* configuration,
                                                           QUELLAN2_STRING* newConfiguration) {
    const auto arguments = [=] { return Arguments().text("configuration", configuration); };
    return serve("updateConfiguration", arguments, [&](Call& call) {
        if (!configuration || !newConfiguration) return QUELLAN2_STATUS_INVALID_PARAMETER;
        std::string text = Simulator::instance().withState(
            [&](State& state) { return state.plant.configuration.value_or(configuration); });
        call.store(newConfiguration, std::make_unique<SimString>(SimString{text}));
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionOpen(const char* connectionText, QUELLAN2_CONNECTION* connection) {
    return serve("connectionOpen", [=] { return Arguments().text("text", connectionText); }, [&](Call& call) {
        if (!connectionText || !connection) return QUELLAN2_STATUS_INVALID_PARAMETER;
        std::uintptr_t handle = Simulator::instance().withState([](State& state) {
            state.connections.insert(++state.lastConnection);
            return state.lastConnection;
        });
        call.store(connection, reinterpret_cast<QUELLAN2_CONNECTION>(handle));
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionClose(QUELLAN2_CONNECTION connection) {
    return serve("connectionClose", [=] { return Arguments().handle("connection", connection); }, [&](Call&) {
        return Simulator::instance().withState([&](State& state) {
            return state.connections.erase(reinterpret_cast<std::uintptr_t>(connection))
                       ? QUELLAN2_STATUS_OK
                       : QUELLAN2_STATUS_INVALID_PARAMETER;
        });
    });
}

#ifndef SIMQUELLAN_OMIT_CURRENT_TIME
QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionGetCurrentTime(QUELLAN2_CONNECTION connection, uint32_t* time) {
    const auto arguments = [=] { return Arguments().handle("connection", connection); };
    return serve("connectionGetCurrentTime", arguments, [&](Call& call) {
        if (!connection || !time) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            if (!state.connections.count(reinterpret_cast<std::uintptr_t>(connection)))
                return QUELLAN2_STATUS_INVALID_PARAMETER;
            call.store(time, static_cast<uint32_t>(state.plant.now()));
            return QUELLAN2_STATUS_OK;
        });
    });
}
#endif
