// Calling a SimQuellan library: its connection, values and named nodes and tags.
#include "SimModule.h"

#include <gtest/gtest.h>

namespace mq::test {

QUELLAN2_CONNECTION SimModule::open() {
    QUELLAN2_CONNECTION connection = nullptr;
    if (initialize() != QUELLAN2_STATUS_OK || connectionOpen("", &connection) != QUELLAN2_STATUS_OK) return nullptr;
    return connection;
}

std::vector<SimValue> SimModule::values(QUELLAN2_VECTOR vector) {
    std::vector<SimValue> result;
    uint32_t length = 0;
    EXPECT_EQ(vectorGetLength(vector, &length), QUELLAN2_STATUS_OK);
    for (uint32_t i = 0; i < length; ++i) {
        uint32_t type = 0;
        vectorGetType(vector, i, &type);
        if (type == QUELLAN2_TYPE_FLOAT) {
            float value = 0;
            EXPECT_EQ(vectorGetFloat(vector, i, &value), QUELLAN2_STATUS_OK);
            result.emplace_back(value);
        } else if (type == QUELLAN2_TYPE_STRING) {
            QUELLAN2_STRING value = nullptr;
            EXPECT_EQ(vectorGetString(vector, i, &value), QUELLAN2_STATUS_OK);
            result.emplace_back(take(value));
        } else {
            result.emplace_back(std::monostate());
        }
    }
    vectorFree(vector);
    return result;
}

QUELLAN2_VECTOR SimModule::makeVector(const std::vector<SimValue>& values) {
    QUELLAN2_VECTOR vector = nullptr;
    EXPECT_EQ(vectorCreate(static_cast<uint32_t>(values.size()), &vector), QUELLAN2_STATUS_OK);
    for (uint32_t i = 0; i < values.size(); ++i) {
        if (const auto* text = std::get_if<std::string>(&values[i])) vectorSetString(vector, i, text->c_str());
        if (const auto* number = std::get_if<float>(&values[i])) vectorSetFloat(vector, i, *number);
    }
    return vector;
}

namespace {

// The names of a node's sub-nodes or tags: the count, each item and its
// name through the given functions; an item that fails is left out.
template <typename Item, typename CountFunction, typename ItemFunction, typename NameFunction>
std::vector<std::string> itemNames(const SimModule& module, QUELLAN2_NODE node, CountFunction countOf,
                                   ItemFunction itemAt, NameFunction nameOf) {
    std::vector<std::string> names;
    uint32_t count = 0;
    countOf(node, &count);
    for (uint32_t i = 0; i < count; ++i) {
        Item item = nullptr;
        QUELLAN2_STRING name = nullptr;
        if (itemAt(node, i, &item) == QUELLAN2_STATUS_OK && nameOf(item, &name) == QUELLAN2_STATUS_OK)
            names.push_back(module.take(name));
    }
    return names;
}

}  // namespace

std::vector<std::string> SimModule::subNodeNames(QUELLAN2_NODE node) {
    return itemNames<QUELLAN2_NODE>(*this, node, nodeGetNumNodes, nodeGetNode, nodeGetName);
}

std::vector<std::string> SimModule::tagNames(QUELLAN2_NODE node) {
    return itemNames<QUELLAN2_TAG>(*this, node, nodeGetNumTags, nodeGetTag, tagGetName);
}

namespace {

// The first of `count` elements whose name is `wanted`: `element` delivers
// element i, `nameOf` its name string.
template <typename Handle, typename Element, typename NameOf>
Handle findNamed(SimModule& module, uint32_t count, Element element, NameOf nameOf, const std::string& wanted,
                 const char* what) {
    for (uint32_t i = 0; i < count; ++i) {
        Handle found = nullptr;
        QUELLAN2_STRING name = nullptr;
        if (element(i, &found) == QUELLAN2_STATUS_OK && nameOf(found, &name) == QUELLAN2_STATUS_OK &&
            module.take(name) == wanted)
            return found;
    }
    ADD_FAILURE() << "no " << what << " " << wanted;
    return nullptr;
}

}  // namespace

QUELLAN2_NODE SimModule::node(QUELLAN2_CONNECTION connection, const std::string& wanted) {
    uint32_t count = 0;
    connectionGetNumNodes(connection, &count);
    return findNamed<QUELLAN2_NODE>(
        *this, count, [&](uint32_t i, QUELLAN2_NODE* node) { return connectionGetNode(connection, i, node); },
        nodeGetName, wanted, "top-level node");
}

QUELLAN2_NODE SimModule::subNode(QUELLAN2_NODE parent, const std::string& wanted) {
    uint32_t count = 0;
    nodeGetNumNodes(parent, &count);
    return findNamed<QUELLAN2_NODE>(
        *this, count, [&](uint32_t i, QUELLAN2_NODE* node) { return nodeGetNode(parent, i, node); }, nodeGetName,
        wanted, "sub-node");
}

QUELLAN2_TAG SimModule::tag(QUELLAN2_NODE node, const std::string& wanted) {
    uint32_t count = 0;
    nodeGetNumTags(node, &count);
    return findNamed<QUELLAN2_TAG>(
        *this, count, [&](uint32_t i, QUELLAN2_TAG* tag) { return nodeGetTag(node, i, tag); }, tagGetName, wanted,
        "tag");
}

}  // namespace mq::test
