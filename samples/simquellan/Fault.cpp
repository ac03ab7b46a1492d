// The one table of fault words, read both ways.
#include "samples/simquellan/Fault.h"

#include <iterator>

namespace simquellan {

namespace {

struct Named {
    Fault fault;
    const char* word;
};

const Named FAULTS[] = {
    {Fault::ACCESS_VIOLATION, "access"}, {Fault::DIVIDE_BY_ZERO, "divide"}, {Fault::THROW, "throw"},
    {Fault::CAUGHT, "caught"},           {Fault::STACK_OVERFLOW, "stack"},  {Fault::ABORT, "abort"},
    {Fault::EXIT, "exit"},               {Fault::HEAP, "heap"},
};

}  // namespace

const char* faultWord(Fault fault) {
    for (const Named& named : FAULTS)
        if (named.fault == fault) return named.word;
    return "none";
}

bool faultNamed(const std::string& word, Fault& fault) {
    for (const Named& named : FAULTS) {
        if (word != named.word) continue;
        fault = named.fault;
        return true;
    }
    return false;
}

std::string faultWords() {
    std::string words;
    for (std::size_t k = 0; k < std::size(FAULTS); ++k)
        words += std::string(k == 0 ? "" : k + 1 == std::size(FAULTS) ? " or " : ", ") + FAULTS[k].word;
    return words;
}

}  // namespace simquellan
