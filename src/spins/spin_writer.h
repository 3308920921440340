// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin's spin-system input, written from grouped spin systems (the format
// and the naming rule: docs/formats.md, "Spin systems").
#pragma once

#include <string>
#include <vector>

#include "formats/spin_systems.h"

// One comment line (the text given, made safe for a comment), then one block
// per spin system: <res type="ALA" name="A.12">, a <cs> line and a line of
// values per nucleus that has shifts, </res>. The type is UNK for spin systems
// of unknown type and for all of them with hide_types. A name that would
// hold a double quote, '<', '>', '&' or a control character throws
// format_error at the spin system's line: kestrin's input could not carry it.
// With `previous`, each spin system that holds shifts of the residue before
// (rows @13-1, 48-1, CAi-1) is followed by a block of its own for them,
// type UNK, named "<name>-1" and marked precedes="<name>" on its begin line.
std::string spin_systems_text(const std::vector<spin_system_t> &systems, const std::string &comment,
                              bool hide_types, bool previous = false);

// The text with control characters shown as '?' and "--" broken up, so that
// it fits in one XML comment.
std::string comment_safe(const std::string &text);
