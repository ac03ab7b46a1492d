// Taking strings and value vectors from the plug-in and freeing them through it.
#include "PluginObjects.h"

namespace quellan {

PluginString::~PluginString() {
    if (handle && plugin.stringFree.present()) plugin.stringFree.function()(handle);
}

std::string PluginString::text() const {
    if (!handle) throw ToolError(ExitCode::PLUGIN_FAILED, "the plug-in delivered no string");
    std::uint32_t length = 0;
    // Asking with an empty buffer learns the length: INSUFFICIENT_BUFFER, or OK for an empty text.
    QUELLAN2_STATUS status = plugin.stringCopy(handle, nullptr, &length);
    if (status == QUELLAN2_STATUS_OK && length == 0) return std::string();
    if (status != QUELLAN2_STATUS_INSUFFICIENT_BUFFER) checkStatus(status, plugin.stringCopy.name());
    std::string text(length, '\0');
    plugin.stringCopy.check(handle, text.data(), &length);
    text.resize(length);
    return text;
}

std::uint32_t vectorLength(const PluginFunctions& plugin, QUELLAN2_VECTOR vector) {
    std::uint32_t length = 0;
    plugin.vectorGetLength.check(vector, &length);
    return length;
}

Element vectorElement(const PluginFunctions& plugin, QUELLAN2_VECTOR vector, std::uint32_t index) {
    Element element;
    plugin.vectorGetType.check(vector, index, &element.type);
    if (element.type == QUELLAN2_TYPE_STRING) {
        PluginString text(plugin);
        plugin.vectorGetString.check(vector, index, text.out());
        element.value = text.text();
    } else if (element.type == QUELLAN2_TYPE_FLOAT) {
        float value = 0;
        plugin.vectorGetFloat.check(vector, index, &value);
        element.value = value;
    }
    return element;
}

void setVectorElement(const PluginFunctions& plugin, QUELLAN2_VECTOR vector, std::uint32_t index,
                      const Value& value) {
    if (const std::string* text = std::get_if<std::string>(&value))
        plugin.vectorSetString.check(vector, index, text->c_str());
    else if (const float* number = std::get_if<float>(&value))
        plugin.vectorSetFloat.check(vector, index, *number);
    // A new vector's elements are null already.
}

PluginVectors::PluginVectors(const PluginFunctions& plugin, std::size_t count)
    : plugin(plugin), handles(count, nullptr) {}

PluginVectors::~PluginVectors() {
    if (!plugin.vectorFree.present()) return;
    for (QUELLAN2_VECTOR vector : handles)
        if (vector) plugin.vectorFree.function()(vector);
}

void PluginVectors::create(std::uint32_t length) {
    for (QUELLAN2_VECTOR& vector : handles) plugin.vectorCreate.check(length, &vector);
}

std::vector<Element> PluginVectors::elements(std::size_t slot, std::uint32_t count, const char* function) const {
    QUELLAN2_VECTOR vector = handles[slot];
    if (!vector) throw ToolError(ExitCode::PLUGIN_FAILED, std::string(function) + " delivered no vector");
    std::uint32_t length = vectorLength(plugin, vector);
    if (length != count)
        throw ToolError(ExitCode::PLUGIN_FAILED, std::string(function) + " delivered " + std::to_string(length) +
                                                     " values for " + std::to_string(count) + " requested");
    std::vector<Element> elements;
    for (std::uint32_t index = 0; index < count; ++index) elements.push_back(vectorElement(plugin, vector, index));
    return elements;
}

}  // namespace quellan
