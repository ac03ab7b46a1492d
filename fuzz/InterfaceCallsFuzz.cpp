// Sequences of string and vector calls through MultiQuellan's exported
// interface, checked against a model of what each call must do: the status,
// the values read back bit for bit, and nothing left over at the end.
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzPlugin.h"

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <variant>
#include <vector>

using mq::fuzz::fail;
using mq::fuzz::FuzzInput;

namespace {

constexpr std::size_t SLOTS = 4;
using Value = std::variant<std::monostate, std::string, float>;

struct LiveString {
    QUELLAN2_STRING handle = nullptr;
    std::string text;
};
struct LiveVector {
    QUELLAN2_VECTOR handle = nullptr;
    std::vector<Value> values;
};

void expect(bool condition, const char* what) {
    if (!condition) fail(what);
}

std::string cutAtZero(const std::string& bytes) {
    return std::string(bytes.c_str());
}

class Session {
public:
    explicit Session(const mq::ChildFunctionTable& q) : q(q) {}
    ~Session() {
        for (auto& string : strings)
            if (string) expect(q.stringFree(string->handle) == QUELLAN2_STATUS_OK, "stringFree");
        for (auto& vector : vectors)
            if (vector) expect(q.vectorFree(vector->handle) == QUELLAN2_STATUS_OK, "vectorFree");
    }

    void step(FuzzInput& input) {
        std::optional<LiveString>& string = strings[input.below(SLOTS)];
        std::optional<LiveVector>& vector = vectors[input.below(SLOTS)];
        switch (input.below(13)) {
        case 0: createString(input, string); break;
        case 1: freeString(string); break;
        case 2: copyString(input, string); break;
        case 3: createVector(input, vector); break;
        case 4: freeVector(vector); break;
        case 5: getLengthAndTypes(vector); break;
        case 6: setNull(input, vector); break;
        case 7: getFloat(input, vector); break;
        case 8: setFloat(input, vector); break;
        case 9: getString(input, vector, string); break;
        case 10: setString(input, vector); break;
        case 11: nullArguments(input); break;
        default: outOfRange(input, vector); break;
        }
    }

private:
    void createString(FuzzInput& input, std::optional<LiveString>& slot) {
        freeString(slot);
        std::string bytes = input.bytes(40);
        QUELLAN2_STRING handle = nullptr;
        expect(q.stringCreate(bytes.c_str(), &handle) == QUELLAN2_STATUS_OK && handle, "stringCreate");
        slot = LiveString{handle, cutAtZero(bytes)};
    }
    void freeString(std::optional<LiveString>& slot) {
        if (!slot) return;
        expect(q.stringFree(slot->handle) == QUELLAN2_STATUS_OK, "stringFree");
        slot.reset();
    }
    void copyString(FuzzInput& input, std::optional<LiveString>& slot) {
        if (!slot) return;
        const auto length = static_cast<uint32_t>(slot->text.size());
        uint32_t size = input.below(length + 3);
        bool nullBuffer = input.below(4) == 0;
        std::vector<char> buffer(size + 8, '\x5a');
        uint32_t reported = size;
        QUELLAN2_STATUS status = q.stringCopy(slot->handle, nullBuffer ? nullptr : buffer.data(), &reported);
        expect(reported == length, "stringCopy reports the length");
        QUELLAN2_STATUS wanted = length > size     ? QUELLAN2_STATUS_INSUFFICIENT_BUFFER
                                 : length == 0     ? QUELLAN2_STATUS_OK
                                 : nullBuffer      ? QUELLAN2_STATUS_INVALID_PARAMETER
                                                   : QUELLAN2_STATUS_OK;
        expect(status == wanted, "stringCopy status");
        std::size_t copied = (status == QUELLAN2_STATUS_OK && !nullBuffer) ? length : 0;
        expect(std::memcmp(buffer.data(), slot->text.data(), copied) == 0, "stringCopy bytes");
        for (std::size_t i = copied; i < buffer.size(); ++i)
            expect(buffer[i] == '\x5a', "stringCopy wrote beyond the text");
    }
    void createVector(FuzzInput& input, std::optional<LiveVector>& slot) {
        freeVector(slot);
        uint32_t length = input.below(9);
        QUELLAN2_VECTOR handle = nullptr;
        QUELLAN2_STATUS status = q.vectorCreate(length, &handle);
        if (length == 0) {
            expect(status == QUELLAN2_STATUS_INVALID_PARAMETER && !handle, "vectorCreate of length 0");
            return;
        }
        expect(status == QUELLAN2_STATUS_OK && handle, "vectorCreate");
        slot = LiveVector{handle, std::vector<Value>(length)};
    }
    void freeVector(std::optional<LiveVector>& slot) {
        if (!slot) return;
        expect(q.vectorFree(slot->handle) == QUELLAN2_STATUS_OK, "vectorFree");
        slot.reset();
    }
    void getLengthAndTypes(const std::optional<LiveVector>& slot) {
        if (!slot) return;
        uint32_t length = 0;
        expect(q.vectorGetLength(slot->handle, &length) == QUELLAN2_STATUS_OK, "vectorGetLength");
        expect(length == slot->values.size(), "vector length");
        for (uint32_t i = 0; i < length; ++i) {
            uint32_t type = 99;
            expect(q.vectorGetType(slot->handle, i, &type) == QUELLAN2_STATUS_OK, "vectorGetType");
            expect(type == slot->values[i].index(), "vector element type");
        }
    }
    void setNull(FuzzInput& input, std::optional<LiveVector>& slot) {
        if (!slot) return;
        uint32_t index = input.below(static_cast<uint32_t>(slot->values.size()));
        expect(q.vectorSetNull(slot->handle, index) == QUELLAN2_STATUS_OK, "vectorSetNull");
        slot->values[index] = std::monostate();
    }
    void getFloat(FuzzInput& input, const std::optional<LiveVector>& slot) {
        if (!slot) return;
        uint32_t index = input.below(static_cast<uint32_t>(slot->values.size()));
        float value = 0.0f;
        std::memcpy(&value, "\x01\x02\x03\x04", sizeof value);
        float untouched = value;
        QUELLAN2_STATUS status = q.vectorGetFloat(slot->handle, index, &value);
        const float* held = std::get_if<float>(&slot->values[index]);
        if (!held) {
            expect(status == QUELLAN2_STATUS_ERROR, "vectorGetFloat of no float");
            expect(std::memcmp(&value, &untouched, sizeof value) == 0, "vectorGetFloat wrote on failure");
            return;
        }
        expect(status == QUELLAN2_STATUS_OK, "vectorGetFloat");
        expect(std::memcmp(&value, held, sizeof value) == 0, "a float comes back bit for bit");
    }
    void setFloat(FuzzInput& input, std::optional<LiveVector>& slot) {
        if (!slot) return;
        uint32_t index = input.below(static_cast<uint32_t>(slot->values.size()));
        uint32_t bits = input.word();
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        expect(q.vectorSetFloat(slot->handle, index, value) == QUELLAN2_STATUS_OK, "vectorSetFloat");
        slot->values[index] = value;
    }
    void getString(FuzzInput& input, const std::optional<LiveVector>& slot, std::optional<LiveString>& target) {
        if (!slot) return;
        uint32_t index = input.below(static_cast<uint32_t>(slot->values.size()));
        QUELLAN2_STRING handle = nullptr;
        QUELLAN2_STATUS status = q.vectorGetString(slot->handle, index, &handle);
        const std::string* held = std::get_if<std::string>(&slot->values[index]);
        if (!held) {
            expect(status == QUELLAN2_STATUS_ERROR && !handle, "vectorGetString of no string");
            return;
        }
        expect(status == QUELLAN2_STATUS_OK && handle, "vectorGetString");
        freeString(target);
        target = LiveString{handle, *held};
    }
    void setString(FuzzInput& input, std::optional<LiveVector>& slot) {
        if (!slot) return;
        uint32_t index = input.below(static_cast<uint32_t>(slot->values.size()));
        std::string bytes = input.bytes(40);
        expect(q.vectorSetString(slot->handle, index, bytes.c_str()) == QUELLAN2_STATUS_OK, "vectorSetString");
        slot->values[index] = cutAtZero(bytes);
    }
    void nullArguments(FuzzInput& input) {
        const QUELLAN2_STATUS bad = QUELLAN2_STATUS_INVALID_PARAMETER;
        uint32_t number = 0;
        switch (input.below(6)) {
        case 0: expect(q.stringCreate(nullptr, nullptr) == bad, "stringCreate(null)"); break;
        case 1: expect(q.stringCopy(nullptr, nullptr, &number) == bad, "stringCopy(null)"); break;
        case 2: expect(q.vectorGetLength(nullptr, &number) == bad, "vectorGetLength(null)"); break;
        case 3: expect(q.vectorCreate(1, nullptr) == bad, "vectorCreate(1, null)"); break;
        case 4: expect(q.vectorSetString(nullptr, 0, "x") == bad, "vectorSetString(null)"); break;
        default:
            expect(q.stringFree(nullptr) == QUELLAN2_STATUS_OK && q.vectorFree(nullptr) == QUELLAN2_STATUS_OK,
                   "freeing null");
        }
    }
    void outOfRange(FuzzInput& input, const std::optional<LiveVector>& slot) {
        if (!slot) return;
        const QUELLAN2_STATUS bad = QUELLAN2_STATUS_INVALID_PARAMETER;
        uint32_t index = static_cast<uint32_t>(slot->values.size()) + input.below(3);
        if (input.flag()) index = 0xFFFFFFFFu - input.below(3);
        uint32_t type = 0;
        float value = 0.0f;
        QUELLAN2_STRING string = nullptr;
        expect(q.vectorGetType(slot->handle, index, &type) == bad, "vectorGetType out of range");
        expect(q.vectorSetNull(slot->handle, index) == bad, "vectorSetNull out of range");
        expect(q.vectorGetFloat(slot->handle, index, &value) == bad, "vectorGetFloat out of range");
        expect(q.vectorSetFloat(slot->handle, index, 1.0f) == bad, "vectorSetFloat out of range");
        expect(q.vectorGetString(slot->handle, index, &string) == bad && !string, "vectorGetString out of range");
        expect(q.vectorSetString(slot->handle, index, "x") == bad, "vectorSetString out of range");
    }

    const mq::ChildFunctionTable& q;
    std::array<std::optional<LiveString>, SLOTS> strings;
    std::array<std::optional<LiveVector>, SLOTS> vectors;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mq::fuzz::multiQuellan();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    Session session(mq::fuzz::multiQuellan());
    for (int steps = 0; steps < 200 && !input.empty(); ++steps) session.step(input);
    return 0;
}
