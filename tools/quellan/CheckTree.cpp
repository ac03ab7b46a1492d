// Rule groups of quellan check: walking the tree of nodes and tags, and refusing null arguments.
#include "Checker.h"

namespace quellan::check {

bool Checker::walkTree() {
    const QUELLAN2_CONNECTION connection = proxy->childConnection();
    std::uint32_t count = mq::UNWRITTEN_NUMBER;
    QUELLAN2_STATUS status = onWorker(Rule::TREE_COUNTS, CHILD(connectionGetNumNodes), connection, &count);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::TREE_COUNTS, returned("quellan2_connectionGetNumNodes", status));
        return true;
    }
    if (count == mq::UNWRITTEN_NUMBER) {
        fail(Rule::OUT_VALUES, "quellan2_connectionGetNumNodes answered OK without writing the count");
        return true;
    }
    for (std::uint32_t k = 0; k <= count && nodes.size() < MOST_NODES; ++k) {
        QUELLAN2_NODE node = nullptr;
        status = onWorker(Rule::TREE_COUNTS, CHILD(connectionGetNode), connection, k, &node);
        if (k == count) {
            if (status == QUELLAN2_STATUS_OK)
                fail(Rule::TREE_COUNTS, "quellan2_connectionGetNode accepted index " + std::to_string(k) + " of " +
                                            std::to_string(count) + " nodes");
        } else if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::TREE_COUNTS, "top-level node " + std::to_string(k) + " of " + std::to_string(count) + ": " +
                                        returned("quellan2_connectionGetNode", status));
        } else {
            walkNode(node, 1);
        }
    }
    if (nodes.empty()) {
        unmade(Rule::NAMES, "the plug-in has no node to name", "no node", {MQ_CHILD_FUNCTION_NAME(nodeGetName)});
        unmade(Rule::TREE_COUNTS, "the plug-in has no node to count the tags of", "no node",
               {MQ_CHILD_FUNCTION_NAME(nodeGetNumTags), MQ_CHILD_FUNCTION_NAME(nodeGetTag)});
    } else if (tags.empty()) {
        unmade(Rule::NAMES, "the plug-in has no tag to name", "no tag", {MQ_CHILD_FUNCTION_NAME(tagGetName)});
    }
    return true;
}

void Checker::walkNode(QUELLAN2_NODE node, int depth) {
    nodes.push_back(node);
    const std::string where = "node " + std::to_string(reinterpret_cast<std::uintptr_t>(node));
    QUELLAN2_STRING name = nullptr;
    QUELLAN2_STATUS status = onWorker(Rule::NAMES, CHILD(nodeGetName), node, &name);
    if (status != QUELLAN2_STATUS_OK) fail(Rule::NAMES, where + ": " + returned("quellan2_nodeGetName", status));
    else if (!name) fail(Rule::OUT_VALUES, where + ": quellan2_nodeGetName answered OK without a string");
    else readString(Rule::NAMES, name, where + "'s name");

    std::uint32_t count = mq::UNWRITTEN_NUMBER;
    if (exports.nodeGetNumNodes && exports.nodeGetNode && depth < MOST_DEPTH) {
        status = onWorker(Rule::TREE_COUNTS, CHILD(nodeGetNumNodes), node, &count);
        if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::TREE_COUNTS, where + ": " + returned("quellan2_nodeGetNumNodes", status));
        } else if (count == mq::UNWRITTEN_NUMBER) {
            fail(Rule::OUT_VALUES, where + ": quellan2_nodeGetNumNodes answered OK without writing the count");
        } else {
            for (std::uint32_t k = 0; k <= count && nodes.size() < MOST_NODES; ++k) {
                QUELLAN2_NODE subNode = nullptr;
                status = onWorker(Rule::TREE_COUNTS, CHILD(nodeGetNode), node, k, &subNode);
                if (k == count && status == QUELLAN2_STATUS_OK)
                    fail(Rule::TREE_COUNTS, where + ": quellan2_nodeGetNode accepted index " + std::to_string(k) +
                                                " of " + std::to_string(count) + " sub-nodes");
                else if (k < count && status != QUELLAN2_STATUS_OK)
                    fail(Rule::TREE_COUNTS, where + ", sub-node " + std::to_string(k) + " of " +
                                                std::to_string(count) + ": " + returned("quellan2_nodeGetNode", status));
                else if (k < count)
                    walkNode(subNode, depth + 1);
            }
        }
    }

    count = mq::UNWRITTEN_NUMBER;
    status = onWorker(Rule::TREE_COUNTS, CHILD(nodeGetNumTags), node, &count);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::TREE_COUNTS, where + ": " + returned("quellan2_nodeGetNumTags", status));
        return;
    }
    if (count == mq::UNWRITTEN_NUMBER) {
        fail(Rule::OUT_VALUES, where + ": quellan2_nodeGetNumTags answered OK without writing the count");
        return;
    }
    for (std::uint32_t k = 0; k <= count && k <= MOST_NODES; ++k) {
        QUELLAN2_TAG tag = nullptr;
        status = onWorker(Rule::TREE_COUNTS, CHILD(nodeGetTag), node, k, &tag);
        if (k == count) {
            if (status == QUELLAN2_STATUS_OK)
                fail(Rule::TREE_COUNTS, where + ": quellan2_nodeGetTag accepted index " + std::to_string(k) + " of " +
                                            std::to_string(count) + " tags");
            continue;
        }
        if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::TREE_COUNTS, where + ", tag " + std::to_string(k) + " of " + std::to_string(count) + ": " +
                                        returned("quellan2_nodeGetTag", status));
            continue;
        }
        const std::string tagWhere = where + ", tag " + std::to_string(k);
        QUELLAN2_STRING tagName = nullptr;
        status = onWorker(Rule::NAMES, CHILD(tagGetName), tag, &tagName);
        if (status != QUELLAN2_STATUS_OK) fail(Rule::NAMES, tagWhere + ": " + returned("quellan2_tagGetName", status));
        else if (!tagName) fail(Rule::OUT_VALUES, tagWhere + ": quellan2_tagGetName answered OK without a string");
        else readString(Rule::NAMES, tagName, tagWhere + "'s name");
        if (tags.size() < MOST_DATA_TAGS) tags.push_back(tag);
    }
}

bool Checker::checkNullArguments() {
    const QUELLAN2_CONNECTION connection = proxy->childConnection();
    const bool worker = true;
    std::uint32_t number = 0;
    QUELLAN2_STRING string = nullptr;
    QUELLAN2_VECTOR vector = nullptr;
    const std::nullptr_t none = nullptr;
    expectRefusal(worker, CHILD(getIdentity), "a null out pointer", static_cast<QUELLAN2_STRING*>(none));
    expectRefusal(worker, CHILD(connectionGetNumNodes), "a null out pointer", connection,
                  static_cast<std::uint32_t*>(none));
    expectRefusal(worker, CHILD(connectionGetNode), "a null out pointer", connection, 0u,
                  static_cast<QUELLAN2_NODE*>(none));
    expectRefusal(worker, CHILD(connectionGetCurrentTime), "a null out pointer", connection,
                  static_cast<std::uint32_t*>(none));
    expectRefusal(worker, CHILD(connectionReadCurrentData), "a null tag list", connection,
                  static_cast<const QUELLAN2_TAG*>(none), 1u, &vector);
    if (!nodes.empty()) {
        const QUELLAN2_NODE node = nodes.front();
        expectRefusal(worker, CHILD(nodeGetName), "a null out pointer", node, static_cast<QUELLAN2_STRING*>(none));
        expectRefusal(worker, CHILD(nodeGetNumTags), "a null out pointer", node, static_cast<std::uint32_t*>(none));
        expectRefusal(worker, CHILD(nodeGetTag), "a null out pointer", node, 0u, static_cast<QUELLAN2_TAG*>(none));
        expectRefusal(worker, CHILD(nodeGetActiveBatches), "a null out pointer", node, 0, 1,
                      static_cast<QUELLAN2_VECTOR*>(none));
        expectRefusal(worker, CHILD(nodeGetBatchTimes), "a null batch", node, static_cast<const char*>(none), 0,
                      &number, &number);
    }
    if (nodes.empty())
        unmade(Rule::NULL_ARGUMENTS, "no node to hand the node functions null arguments with", "no node", {});
    if (tags.empty())
        unmade(Rule::NULL_ARGUMENTS, "no tag to hand the tag functions null arguments with", "no tag", {});
    if (!tags.empty()) {
        expectRefusal(worker, CHILD(tagGetName), "a null out pointer", tags.front(),
                      static_cast<QUELLAN2_STRING*>(none));
        expectRefusal(worker, CHILD(tagGetUpdateTime), "a null out pointer", tags.front(),
                      static_cast<std::uint32_t*>(none));
        expectRefusal(worker, CHILD(connectionReadCurrentData), "a null out pointer", connection, tags.data(), 1u,
                      static_cast<QUELLAN2_VECTOR*>(none));
    }
    expectRefusal(!worker, CHILD(stringCreate), "a null text", static_cast<const char*>(none), &string);
    expectRefusal(!worker, CHILD(stringCreate), "a null out pointer", CHECK_TEXT,
                  static_cast<QUELLAN2_STRING*>(none));
    expectRefusal(!worker, CHILD(stringCopy), "a null string", static_cast<QUELLAN2_STRING>(none),
                  static_cast<char*>(none), &number);
    expectRefusal(!worker, CHILD(vectorCreate), "a null out pointer", 1u, static_cast<QUELLAN2_VECTOR*>(none));
    expectRefusal(!worker, CHILD(vectorGetLength), "a null vector", static_cast<QUELLAN2_VECTOR>(none), &number);
    // Whatever a wrongly accepting child handed out is not ours to free: it
    // may be anything.
    return true;
}

}  // namespace quellan::check
