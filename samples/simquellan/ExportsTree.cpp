// Browsing: nodes, sub-nodes, tags, batches and update times.
#include "quellan2.h"
#include "samples/simquellan/Call.h"
#include "samples/simquellan/Simulator.h"
#include "samples/simquellan/VectorResults.h"

using namespace simquellan;

namespace {

std::uintptr_t number(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

bool isOpen(const State& state, QUELLAN2_CONNECTION connection) {
    return state.connections.count(number(connection)) != 0;
}

QUELLAN2_NODE nodeHandle(const Plant& plant, std::size_t index) {
    return reinterpret_cast<QUELLAN2_NODE>(plant.handleOfNode(index));
}

}  // namespace

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionGetNumNodes(QUELLAN2_CONNECTION connection, uint32_t* count) {
    const auto arguments = [=] { return Arguments().handle("connection", connection); };
    return serve("connectionGetNumNodes", arguments, [&](Call& call) {
        if (!connection || !count) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            if (!isOpen(state, connection)) return QUELLAN2_STATUS_INVALID_PARAMETER;
            call.store(count, static_cast<uint32_t>(state.plant.topNodes.size()));
            return QUELLAN2_STATUS_OK;
        });
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionGetNode(QUELLAN2_CONNECTION connection, uint32_t index,
                                                         QUELLAN2_NODE* node) {
    const auto arguments = [=] { return Arguments().handle("connection", connection).number("index", index); };
    return serve("connectionGetNode", arguments,
                 [&](Call& call) {
                     if (!connection || !node) return QUELLAN2_STATUS_INVALID_PARAMETER;
                     return Simulator::instance().withState([&](State& state) {
                         const Plant& plant = state.plant;
                         if (!isOpen(state, connection) || index >= plant.topNodes.size())
                             return QUELLAN2_STATUS_INVALID_PARAMETER;
                         if (state.refuses("connectionGetNode", std::to_string(index))) return QUELLAN2_STATUS_ERROR;
                         call.store(node, nodeHandle(plant, plant.topNodes[index]));
                         return QUELLAN2_STATUS_OK;
                     });
                 });
}

#ifndef SIMQUELLAN_OMIT_NODE_GET_NAME
QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetName(QUELLAN2_NODE node, QUELLAN2_STRING* name) {
    return serve("nodeGetName", [=] { return Arguments().handle("node", node); }, [&](Call& call) {
        if (!node || !name) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            const Node* found = state.plant.node(number(node));
            if (!found) return QUELLAN2_STATUS_INVALID_PARAMETER;
            if (state.refuses("nodeGetName", found->path)) return QUELLAN2_STATUS_ERROR;
            call.store(name, std::make_unique<SimString>(SimString{found->name}));
            return QUELLAN2_STATUS_OK;
        });
    });
}
#endif

#if !defined(SIMQUELLAN_OMIT_OPTIONAL) && !defined(SIMQUELLAN_OMIT_NODE_GET_NUM_NODES)
QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetNumNodes(QUELLAN2_NODE node, uint32_t* count) {
    return serve("nodeGetNumNodes", [=] { return Arguments().handle("node", node); }, [&](Call& call) {
        if (!node || !count) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            const Node* found = state.plant.node(number(node));
            if (!found) return QUELLAN2_STATUS_INVALID_PARAMETER;
            call.store(count, static_cast<uint32_t>(found->subNodes.size()));
            return QUELLAN2_STATUS_OK;
        });
    });
}
#endif

#if !defined(SIMQUELLAN_OMIT_OPTIONAL) && !defined(SIMQUELLAN_OMIT_NODE_GET_NODE)
QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetNode(QUELLAN2_NODE node, uint32_t index, QUELLAN2_NODE* subNode) {
    const auto arguments = [=] { return Arguments().handle("node", node).number("index", index); };
    return serve("nodeGetNode", arguments, [&](Call& call) {
        if (!node || !subNode) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            const Node* found = state.plant.node(number(node));
            if (!found || index >= found->subNodes.size()) return QUELLAN2_STATUS_INVALID_PARAMETER;
            if (state.refuses("nodeGetNode", found->path + " " + std::to_string(index))) return QUELLAN2_STATUS_ERROR;
            call.store(subNode, nodeHandle(state.plant, found->subNodes[index]));
            return QUELLAN2_STATUS_OK;
        });
    });
}
#endif

QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetNumTags(QUELLAN2_NODE node, uint32_t* count) {
    return serve("nodeGetNumTags", [=] { return Arguments().handle("node", node); }, [&](Call& call) {
        if (!node || !count) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            const Node* found = state.plant.node(number(node));
            if (!found) return QUELLAN2_STATUS_INVALID_PARAMETER;
            call.store(count, static_cast<uint32_t>(found->tags.size()));
            return QUELLAN2_STATUS_OK;
        });
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetTag(QUELLAN2_NODE node, uint32_t index, QUELLAN2_TAG* tag) {
    const auto arguments = [=] { return Arguments().handle("node", node).number("index", index); };
    return serve("nodeGetTag", arguments, [&](Call& call) {
        if (!node || !tag) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            const Node* found = state.plant.node(number(node));
            if (!found || index >= found->tags.size()) return QUELLAN2_STATUS_INVALID_PARAMETER;
            if (state.refuses("nodeGetTag", found->path + " " + std::to_string(index))) return QUELLAN2_STATUS_ERROR;
            call.store(tag, reinterpret_cast<QUELLAN2_TAG>(state.plant.handleOfTag(found->tags[index])));
            return QUELLAN2_STATUS_OK;
        });
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_tagGetName(QUELLAN2_TAG tag, QUELLAN2_STRING* name) {
    return serve("tagGetName", [=] { return Arguments().handle("tag", tag); }, [&](Call& call) {
        if (!tag || !name) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            const Tag* found = state.plant.tag(number(tag));
            if (!found) return QUELLAN2_STATUS_INVALID_PARAMETER;
            if (state.refuses("tagGetName", state.plant.nodes[found->node].path + " " + found->name))
                return QUELLAN2_STATUS_ERROR;
            call.store(name, std::make_unique<SimString>(SimString{found->name}));
            return QUELLAN2_STATUS_OK;
        });
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_tagGetUpdateTime(QUELLAN2_TAG tag, uint32_t* time) {
    return serve("tagGetUpdateTime", [=] { return Arguments().handle("tag", tag); }, [&](Call& call) {
        if (!tag || !time) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            const Tag* found = state.plant.tag(number(tag));
            if (!found) return QUELLAN2_STATUS_INVALID_PARAMETER;
            call.store(time, static_cast<uint32_t>(updateTime(found->signal, found->name, state.plant.now())));
            return QUELLAN2_STATUS_OK;
        });
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetActiveBatches(QUELLAN2_NODE node, int32_t fromTime, int32_t toTime,
                                                            QUELLAN2_VECTOR* result) {
    Arguments arguments;
    arguments.handle("node", node).number("from", fromTime).number("to", toTime);
    return serve("nodeGetActiveBatches", arguments, [&](Call& call) {
        if (!node || !result) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            const Node* found = state.plant.node(number(node));
            if (!found) return QUELLAN2_STATUS_INVALID_PARAMETER;
            std::vector<Value> active;
            for (const Batch& batch : found->batches)
                if (batch.start <= toTime && batch.end >= fromTime) active.emplace_back(batch.id);
            call.store(result, makeResult(active, call.intercept.vector));
            return QUELLAN2_STATUS_OK;
        });
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetBatchTimes(QUELLAN2_NODE node, const char* batch, int32_t batchTime,
                                                         uint32_t* startTime, uint32_t* endTime) {
    Arguments arguments;
    arguments.handle("node", node).batch(batch).number("time", batchTime);
    return serve("nodeGetBatchTimes", arguments, [&](Call& call) {
        if (!node || !batch || !startTime || !endTime) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            const Node* found = state.plant.node(number(node));
            if (!found) return QUELLAN2_STATUS_INVALID_PARAMETER;
            const Batch* known = state.plant.findBatch(*found, batch);
            if (!known) return QUELLAN2_STATUS_ERROR;
            call.store(startTime, static_cast<uint32_t>(known->start));
            call.store(endTime, static_cast<uint32_t>(known->end));
            return QUELLAN2_STATUS_OK;
        });
    });
}
