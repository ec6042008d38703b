#include "sim/acceptance.h"

namespace tovrix::sim {

namespace {

bool conditionHolds(std::uint8_t op, std::uint8_t value, std::uint8_t byte) {
    switch (op) {
        case conf::kOpEqual:
            return byte == value;
        case conf::kOpGreater:
            return byte > value;
        case conf::kOpLess:
            return byte < value;
        default:
            return true;  // "~" and every code above it: any value
    }
}

const char* operatorText(std::uint8_t op) {
    switch (op) {
        case conf::kOpEqual:
            return "=";
        case conf::kOpGreater:
            return ">";
        case conf::kOpLess:
            return "<";
        default:
            return "~";
    }
}

}  // namespace

std::optional<FailedCondition> failedCondition(const ConfData& conf, const Payload& payload) {
    for (int i = 0; i < static_cast<int>(conf::kConditionOperator.size()); ++i) {
        const auto k = static_cast<std::size_t>(i);
        const std::uint8_t op = conf[static_cast<std::size_t>(conf::kConditionOperator[k])];
        const std::uint8_t value = conf[static_cast<std::size_t>(conf::kConditionValue[k])];
        const std::uint8_t byte = payload[k / 2];
        if (!conditionHolds(op, value, byte)) {
            return FailedCondition{i, op, value, byte};
        }
    }
    return std::nullopt;
}

std::string describe(const FailedCondition& failed) {
    const std::string byte = "B" + std::to_string(failed.index / 2 + 1);
    return "condition " + std::to_string(failed.index % 2 + 1) + " on " + byte + " (" +
           operatorText(failed.op) + " " + std::to_string(failed.value) + ") not met: " + byte +
           " = " + std::to_string(failed.received);
}

int lockoutMs(const ConfData& conf) {
    return conf[conf::kLockoutTime] * 10;
}

}  // namespace tovrix::sim
