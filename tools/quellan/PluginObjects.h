// Strings and value vectors that the plug-in hands out, each freed through
// the plug-in's own functions when its owner goes.
#pragma once

#include "PluginLibrary.h"
#include "Value.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellan {

class PluginString {
public:
    explicit PluginString(const PluginFunctions& plugin) : plugin(plugin) {}
    ~PluginString();
    PluginString(const PluginString&) = delete;
    PluginString& operator=(const PluginString&) = delete;

    // Where a function stores the handle.
    QUELLAN2_STRING* out() { return &handle; }
    std::string text() const;

private:
    const PluginFunctions& plugin;
    QUELLAN2_STRING handle = nullptr;
};

// Reading and filling one vector that someone else owns.
std::uint32_t vectorLength(const PluginFunctions& plugin, QUELLAN2_VECTOR vector);
Element vectorElement(const PluginFunctions& plugin, QUELLAN2_VECTOR vector, std::uint32_t index);
void setVectorElement(const PluginFunctions& plugin, QUELLAN2_VECTOR vector, std::uint32_t index,
                      const Value& value);

// Value vectors, one or an array of them as the historical functions take it.
class PluginVectors {
public:
    // `count` empty slots, for functions that store vectors.
    PluginVectors(const PluginFunctions& plugin, std::size_t count);
    ~PluginVectors();
    PluginVectors(const PluginVectors&) = delete;
    PluginVectors& operator=(const PluginVectors&) = delete;

    // Fills every slot with a new vector of `length` null elements.
    void create(std::uint32_t length);
    QUELLAN2_VECTOR* data() { return handles.data(); }
    QUELLAN2_VECTOR operator[](std::size_t slot) const { return handles[slot]; }

    // The elements of the vector in `slot`, which must hold exactly `count`
    // of them; `function` names the call that delivered it, for the message.
    std::vector<Element> elements(std::size_t slot, std::uint32_t count, const char* function) const;

private:
    const PluginFunctions& plugin;
    std::vector<QUELLAN2_VECTOR> handles;
};

}  // namespace quellan
