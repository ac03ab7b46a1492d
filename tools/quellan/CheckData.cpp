// Rule groups of quellan check: current, historical and batch data, and times.
#include "Checker.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace quellan::check {

bool Checker::checkCurrentData() {
    if (tags.empty()) {
        unmade(Rule::CURRENT_DATA, "the plug-in has no tag to read", "no tag",
               {MQ_CHILD_FUNCTION_NAME(connectionReadCurrentData)});
        return true;
    }
    const std::uint32_t count = static_cast<std::uint32_t>(tags.size());
    QUELLAN2_VECTOR result = nullptr;
    const QUELLAN2_STATUS status = onWorker(Rule::CURRENT_DATA, CHILD(connectionReadCurrentData),
                                            proxy->childConnection(), static_cast<const QUELLAN2_TAG*>(tags.data()),
                                            count, &result);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::CURRENT_DATA, returned("quellan2_connectionReadCurrentData", status) + " for " +
                                     std::to_string(count) + " tags");
        if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
        return true;
    }
    readVector(Rule::CURRENT_DATA, "quellan2_connectionReadCurrentData", result, count);
    return true;
}

std::uint32_t Checker::currentTime() {
    std::uint32_t now = mq::UNWRITTEN_NUMBER;
    const QUELLAN2_STATUS status =
        onWorker(Rule::TIMES, CHILD(connectionGetCurrentTime), proxy->childConnection(), &now);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::TIMES, returned("quellan2_connectionGetCurrentTime", status));
        return 0;
    }
    if (now == mq::UNWRITTEN_NUMBER) {
        fail(Rule::OUT_VALUES, "quellan2_connectionGetCurrentTime answered OK without writing the time");
        return 0;
    }
    return now;
}

bool Checker::checkHistoricalData() {
    if (tags.empty()) {
        unmade(Rule::HISTORICAL_DATA, "the plug-in has no tag to read", "no tag",
               {MQ_CHILD_FUNCTION_NAME(connectionReadHistoricalData),
                MQ_CHILD_FUNCTION_NAME(connectionReadHistoricalDataEx)});
        return true;
    }
    const std::uint32_t count = static_cast<std::uint32_t>(tags.size());
    const std::int64_t now = static_cast<std::int32_t>(currentTime());
    const std::int32_t start =
        static_cast<std::int32_t>(std::max<std::int64_t>(0, now - HISTORY_INTERVAL * std::int64_t{HISTORY_SAMPLES}));
    const QUELLAN2_CONNECTION connection = proxy->childConnection();
    const QUELLAN2_TAG* tagList = tags.data();

    std::vector<std::optional<std::vector<Value>>> shortForm;
    for (std::uint32_t k = 0; k < HISTORY_SAMPLES; ++k) {
        QUELLAN2_VECTOR result = nullptr;
        const std::int32_t time = start + static_cast<std::int32_t>(k) * HISTORY_INTERVAL;
        const QUELLAN2_STATUS status = onWorker(Rule::HISTORICAL_DATA, CHILD(connectionReadHistoricalData),
                                                connection, tagList, count, time, &result);
        if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::HISTORICAL_DATA, returned("quellan2_connectionReadHistoricalData", status) + " at " +
                                            std::to_string(time));
            if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
            shortForm.emplace_back();
            continue;
        }
        shortForm.push_back(readVector(Rule::HISTORICAL_DATA, "quellan2_connectionReadHistoricalData", result, count));
    }
    if (!exports.connectionReadHistoricalDataEx) return true;

    // Empty slots: the plug-in makes the vectors.
    std::vector<QUELLAN2_VECTOR> results(HISTORY_SAMPLES, nullptr);
    const QUELLAN2_STATUS status =
        onWorker(Rule::HISTORICAL_DATA, CHILD(connectionReadHistoricalDataEx), connection, tagList, count, start,
                 HISTORY_INTERVAL, HISTORY_SAMPLES, results.data());
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::HISTORICAL_DATA, returned("quellan2_connectionReadHistoricalDataEx", status));
        for (QUELLAN2_VECTOR result : results)
            if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
        return true;
    }
    for (std::uint32_t k = 0; k < HISTORY_SAMPLES; ++k) {
        std::optional<std::vector<Value>> values =
            readVector(Rule::HISTORICAL_DATA, "quellan2_connectionReadHistoricalDataEx", results[k], count);
        if (!values || !shortForm[k]) continue;
        for (std::uint32_t t = 0; t < count; ++t)
            if (!sameValue((*values)[t], (*shortForm[k])[t]))
                fail(Rule::HISTORICAL_DATA, "sample " + std::to_string(k) + ", tag " + std::to_string(t) +
                                                ": quellan2_connectionReadHistoricalDataEx gives " +
                                                shown((*values)[t]) + ", quellan2_connectionReadHistoricalData " +
                                                shown((*shortForm[k])[t]) + " at the same time");
    }
    return true;
}

bool Checker::checkBatches() {
    const std::int32_t now = static_cast<std::int32_t>(currentTime());
    std::optional<std::pair<QUELLAN2_NODE, std::string>> found;
    for (QUELLAN2_NODE node : nodes) {
        QUELLAN2_VECTOR result = nullptr;
        const QUELLAN2_STATUS status = onWorker(Rule::BATCHES, CHILD(nodeGetActiveBatches), node, 0,
                                                std::numeric_limits<std::int32_t>::max(), &result);
        if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::BATCHES, returned("quellan2_nodeGetActiveBatches", status));
            if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
            continue;
        }
        std::optional<std::vector<Value>> batches =
            readVector(Rule::BATCHES, "quellan2_nodeGetActiveBatches", result, std::nullopt);
        if (!batches) continue;
        for (const Value& batch : *batches) {
            const std::string* text = std::get_if<std::string>(&batch);
            if (!text) fail(Rule::BATCHES, "quellan2_nodeGetActiveBatches delivered " + shown(batch) + ", not a text");
            else if (!found) found.emplace(node, *text);
        }
    }
    if (!found) {
        unmade(Rule::BATCHES,
               nodes.empty() ? "the plug-in has no node to ask for batches" : "no node has a batch to check",
               nodes.empty() ? "no node" : "no batch",
               {MQ_CHILD_FUNCTION_NAME(nodeGetBatchTimes), MQ_CHILD_FUNCTION_NAME(connectionReadBatchData),
                MQ_CHILD_FUNCTION_NAME(connectionReadBatchDataEx)});
        return true;
    }
    const auto& [node, batch] = *found;
    std::uint32_t startTime = mq::UNWRITTEN_NUMBER;
    std::uint32_t endTime = mq::UNWRITTEN_NUMBER;
    QUELLAN2_STATUS status =
        onWorker(Rule::BATCHES, CHILD(nodeGetBatchTimes), node, batch.c_str(), now, &startTime, &endTime);
    if (status != QUELLAN2_STATUS_OK)
        fail(Rule::BATCHES, "batch \"" + batch + "\": " + returned("quellan2_nodeGetBatchTimes", status));
    else if (startTime == mq::UNWRITTEN_NUMBER || endTime == mq::UNWRITTEN_NUMBER)
        fail(Rule::OUT_VALUES, "quellan2_nodeGetBatchTimes answered OK without writing both times");
    else if (static_cast<std::int32_t>(startTime) > static_cast<std::int32_t>(endTime))
        fail(Rule::BATCHES, "batch \"" + batch + "\" starts at " + std::to_string(startTime) + ", after its end " +
                                std::to_string(endTime));
    if (tags.empty()) {
        unmade(Rule::BATCHES, "the plug-in has no tag to read a batch's values of", "no tag",
               {MQ_CHILD_FUNCTION_NAME(connectionReadBatchData), MQ_CHILD_FUNCTION_NAME(connectionReadBatchDataEx)});
        return true;
    }
    const std::uint32_t count = static_cast<std::uint32_t>(tags.size());
    const QUELLAN2_TAG* tagList = tags.data();
    QUELLAN2_VECTOR result = nullptr;
    status = onWorker(Rule::BATCHES, CHILD(connectionReadBatchData), proxy->childConnection(), tagList, count,
                      batch.c_str(), &result);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::BATCHES, returned("quellan2_connectionReadBatchData", status));
        if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
    } else {
        readVector(Rule::BATCHES, "quellan2_connectionReadBatchData", result, count);
    }
    if (!exports.connectionReadBatchDataEx) return true;
    result = nullptr;
    status = onWorker(Rule::BATCHES, CHILD(connectionReadBatchDataEx), proxy->childConnection(), tagList, count,
                      batch.c_str(), now, &result);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::BATCHES, returned("quellan2_connectionReadBatchDataEx", status));
        if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
    } else {
        readVector(Rule::BATCHES, "quellan2_connectionReadBatchDataEx", result, count);
    }
    return true;
}

bool Checker::checkTimes() {
    if (tags.empty())
        unmade(Rule::TIMES, "the plug-in has no tag to ask quellan2_tagGetUpdateTime about", "no tag",
               {MQ_CHILD_FUNCTION_NAME(tagGetUpdateTime)});
    for (QUELLAN2_TAG tag : tags) {
        std::uint32_t time = mq::UNWRITTEN_NUMBER;
        const QUELLAN2_STATUS status = onWorker(Rule::TIMES, CHILD(tagGetUpdateTime), tag, &time);
        if (status != QUELLAN2_STATUS_OK)
            fail(Rule::TIMES, "tag " + std::to_string(reinterpret_cast<std::uintptr_t>(tag)) + ": " +
                                  returned("quellan2_tagGetUpdateTime", status));
        else if (time == mq::UNWRITTEN_NUMBER)
            fail(Rule::OUT_VALUES, "quellan2_tagGetUpdateTime answered OK without writing the time");
    }
    return true;
}

}  // namespace quellan::check
