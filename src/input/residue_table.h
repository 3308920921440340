// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide residue table: amino-acid codes and selected atoms' keys
// mapped to type indices and atom positions.
#pragma once

#include <string>

// Replaces the table by an empty one that holds at most capacity entries.
void create_residue_table(int capacity);

// Enters key with value; false when the key is present or the table is full.
bool enter_residue_key(const std::string &key, int value);

// The value stored under key, or nullptr when the key is absent.
int *find_residue_key(const std::string &key);

// Enters the 20 three-letter codes with value -2 (not selected).
void init_htbl_AA3();
