#include "editors/RepeatedMinimum.h"

#include "common/IntegerText.h"

#include <algorithm>

namespace {

// Signed order as unsigned, so a key and its position pack into one word.
std::uint64_t packed(std::int32_t key, std::uint32_t position) {
    return (std::uint64_t(std::uint32_t(key) ^ 0x80000000u) << 32) | position;
}

} // namespace

std::vector<int> RepeatedMinimumOrder(const std::vector<OrderKey>& keys, const OrderKey& bound,
                                      TieRule tie) {
    const bool take = tie == TieRule::TakeLater;
    const auto eligible = [&](const OrderKey& k) { return take ? k <= bound : k < bound; };
    std::vector<int> order;
    order.reserve(keys.size());
    std::vector<int> never;
    const bool onePart = std::all_of(keys.begin(), keys.end(),
                                     [](const OrderKey& k) { return k[1] == 0 && k[2] == 0; }) &&
                         bound[1] == 0 && bound[2] == 0;
    if (onePart) {
        // Ties are broken by position, reversed when later entries are taken first.
        std::vector<std::uint64_t> items;
        items.reserve(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (eligible(keys[i]))
                items.push_back(packed(keys[i][0], take ? ~std::uint32_t(i) : std::uint32_t(i)));
            else
                never.push_back(int(i));
        }
        std::sort(items.begin(), items.end());
        for (const std::uint64_t item : items) {
            const std::uint32_t position = std::uint32_t(item);
            order.push_back(int(take ? ~position : position));
        }
    } else {
        std::vector<int> items;
        items.reserve(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i)
            (eligible(keys[i]) ? items : never).push_back(int(i));
        std::sort(items.begin(), items.end(), [&](int a, int b) {
            if (keys[std::size_t(a)] != keys[std::size_t(b)])
                return keys[std::size_t(a)] < keys[std::size_t(b)];
            return take ? a > b : a < b;
        });
        order = std::move(items);
    }
    order.insert(order.end(), never.begin(), never.end());
    return order;
}

Result<std::vector<int>> OrderEntries(const std::vector<QStringList>& keyTexts,
                                      const OrderRule& rule) {
    OrderKey bound{};
    for (qsizetype p = 0; p < rule.bound.size() && p < 3; ++p) {
        const auto value = ParseIntegerText(rule.bound[p]);
        if (!value)
            return Fail(InvalidIntegerMessage(rule.bound[p]));
        bound[std::size_t(p)] = *value;
    }
    std::vector<OrderKey> keys(keyTexts.size(), OrderKey{});
    for (std::size_t i = 0; i < keyTexts.size(); ++i) {
        const QStringList& parts = keyTexts[i];
        for (qsizetype p = 0; p < parts.size() && p < 3; ++p) {
            const auto value = ParseIntegerText(parts[p]);
            if (rule.reading == KeyReading::Low16Unsigned)
                keys[i][std::size_t(p)] = value ? std::int32_t(std::uint32_t(*value) & 0xFFFFu) : 0;
            else if (value)
                keys[i][std::size_t(p)] = *value;
            else
                return Fail(InvalidIntegerMessage(parts[p]));
        }
    }
    return RepeatedMinimumOrder(keys, bound, rule.tie);
}
