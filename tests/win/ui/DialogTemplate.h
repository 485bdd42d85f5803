// Reads an extended dialog template (DLGTEMPLATEEX and its items) as stored in a module's
// resources, so that tests can compare a built dialog resource field by field.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DialogTemplateItem {
  int32_t id = 0;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  // The predefined classes stored as ordinals are named "Button", "Edit", "Static", ...
  std::wstring className;
  std::wstring text;
};

struct DialogTemplate {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::wstring menu;       // empty: none ("#n" for an ordinal)
  std::wstring className;  // empty: the standard dialog class
  std::wstring caption;
  uint16_t pointSize = 0, weight = 0;
  uint8_t italic = 0, charset = 0;
  std::wstring face;
  std::vector<DialogTemplateItem> items;
};

// Parses `size` bytes at `data`. False when they are not a complete extended template.
bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate* out);
// Finds dialog `id` in language `language` of `module` and parses it.
bool LoadDialogTemplate(HMODULE module, int id, WORD language, DialogTemplate* out);
