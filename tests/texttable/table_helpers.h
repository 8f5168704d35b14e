// Loading tables from text and converting through them, each conversion
// checked against the linear-scan oracle.
#pragma once

#include <string>

#include "tests/support/testsupport.h"
#include "texttable/chartable.h"

// Parses `text` as a table file into the helpers' table (its messages go to
// standard error); true.
bool loadTable(const std::string& text);
// The table loadTable made.
const CharTable& table();
// Converts with that table; fails the test when the oracle disagrees.
Bytes toText(const Bytes& input);
Bytes toBytes(const Bytes& input);
std::string leftOf(const TableEntry& e);
std::string rightOf(const TableEntry& e);
