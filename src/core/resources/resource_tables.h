#pragma once

// The compiled string and menu tables, generated at build time from res/strings/*.txt
// by generate_resource_tables.cmake. Users go through resource_strings.h and resource_menus.h.

#include <span>
#include <string_view>

namespace kalvory::resource_tables {

// Texts by the "Language" setting: [0] Russian, [1] English, [2] Ukrainian. UTF-8.
using LanguageTexts = std::string_view[3];

struct StringRow {
  int id;
  LanguageTexts text;
};

enum class MenuRowKind { Command, Separator, Popup };

// A menu flattened in order; an item belongs to the nearest Popup above it of smaller depth.
struct MenuRow {
  int menu;
  int depth;
  MenuRowKind kind;
  int command;
  LanguageTexts text;
};

std::span<const StringRow> stringRows();  // ascending ids
std::span<const MenuRow> menuRows();      // menus in the order of en.txt

}  // namespace kalvory::resource_tables
