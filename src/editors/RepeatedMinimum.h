// The order in which the table editors write their entries: repeated passes that each pick
// the smallest key below a bound, found here by one sort instead of n passes.
#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

// What a pass does with an entry whose key equals the current minimum.
enum class TieRule {
    KeepEarlier, // it is not chosen: equal keys are written in list order
    TakeLater,   // it becomes the chosen entry: equal keys are written in reverse list order
};

// How a key text becomes a number.
enum class KeyReading {
    IntegerText,   // the integer text rule; any other text stops the ordering
    Low16Unsigned, // its low 16 bits as an unsigned number; any other text is 0
};

// Up to three parts, compared in turn; unused parts are 0.
using OrderKey = std::array<std::int32_t, 3>;

struct OrderRule {
    KeyReading reading = KeyReading::IntegerText;
    // One text per key part, read by the integer text rule whatever the keys' reading.
    QStringList bound;
    TieRule tie = TieRule::KeepEarlier;
};

// Indices into `keys` in writing order. Entries the passes would never choose (a key not
// below the bound, or above it when ties are taken) follow all others in list order.
std::vector<int> RepeatedMinimumOrder(const std::vector<OrderKey>& keys, const OrderKey& bound,
                                      TieRule tie);

// The same from key texts, one list of parts per entry, each text read once. A text that
// is not integer text (with KeyReading::IntegerText) fails with
// "'<text>' is not a valid integer value", naming the first such text in list order.
Result<std::vector<int>> OrderEntries(const std::vector<QStringList>& keyTexts,
                                      const OrderRule& rule);
