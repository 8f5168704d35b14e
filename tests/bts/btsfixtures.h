// Builders for synthetic battle/event containers and dialog sections.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/bytes.h"

using Section = std::optional<Bytes>;

// Identificator, N + 1 slots, then the sections in order, each padded with
// zeros to a multiple of 4; absent sections get slot 0, the last slot is the
// file size.
Bytes makeContainer(const std::vector<Section>& sections);

// A dialog section: a 128-byte head (offsets at 0, 4, .. 16, the other head
// bytes 0xA0 + position % 32), the five texts, then `tail`.
Bytes makeDialog(const std::vector<Bytes>& texts, const Bytes& tail = {});

// The default dialog text separator (inline: ready before any test's globals).
inline const std::string kSep = "\r\n--------------------------------------------------End--\r\n";
