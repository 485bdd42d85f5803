// Extended dialog templates read field by field (see DialogTemplate.h).
#include "tests/win/ui/DialogTemplate.h"

#include <cstring>

namespace {

// A bounded reader over the template's bytes; once it runs past the end it stays failed.
class Reader {
 public:
  Reader(const void* data, size_t size) : base_(static_cast<const uint8_t*>(data)), size_(size) {}

  bool Ok() const { return ok_; }
  uint16_t Word() { return static_cast<uint16_t>(Take(2)); }
  uint32_t Dword() { return static_cast<uint32_t>(Take(4)); }
  uint8_t Byte() { return static_cast<uint8_t>(Take(1)); }
  // A null-terminated UTF-16 string.
  std::wstring String() {
    std::wstring text;
    for (uint16_t c = Word(); ok_ && c != 0; c = Word()) {
      text.push_back(static_cast<wchar_t>(c));
    }
    return text;
  }
  // sz_Or_Ord: nothing (0), an ordinal (0xFFFF then its value) or a string.
  std::wstring NameOrOrdinal(bool* isOrdinal, uint16_t* ordinal) {
    *isOrdinal = false;
    if (Peek() == 0) {
      Word();
      return std::wstring();
    }
    if (Peek() == 0xFFFF) {
      Word();
      *isOrdinal = true;
      *ordinal = Word();
      return L"#" + std::to_wstring(*ordinal);
    }
    return String();
  }
  void AlignDword() { pos_ = (pos_ + 3) & ~static_cast<size_t>(3); }
  void Skip(size_t n) {
    ok_ = ok_ && pos_ + n <= size_;
    pos_ += ok_ ? n : 0;
  }

 private:
  uint16_t Peek() const {
    return pos_ + 2 <= size_ ? static_cast<uint16_t>(base_[pos_] | (base_[pos_ + 1] << 8)) : 0;
  }
  uint32_t Take(size_t n) {
    if (!ok_ || pos_ + n > size_) {
      ok_ = false;
      return 0;
    }
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) {
      v |= static_cast<uint32_t>(base_[pos_ + i]) << (8 * i);
    }
    pos_ += n;
    return v;
  }

  const uint8_t* base_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

std::wstring PredefinedClass(uint16_t ordinal) {
  switch (ordinal) {
    case 0x80:
      return L"Button";
    case 0x81:
      return L"Edit";
    case 0x82:
      return L"Static";
    case 0x83:
      return L"ListBox";
    case 0x84:
      return L"ScrollBar";
    case 0x85:
      return L"ComboBox";
    default:
      return L"#" + std::to_wstring(ordinal);
  }
}

bool ParseItem(Reader& r, DialogTemplateItem* item) {
  r.AlignDword();
  r.Dword();  // help id
  item->exStyle = r.Dword();
  item->style = r.Dword();
  item->x = static_cast<int16_t>(r.Word());
  item->y = static_cast<int16_t>(r.Word());
  item->cx = static_cast<int16_t>(r.Word());
  item->cy = static_cast<int16_t>(r.Word());
  item->id = static_cast<int32_t>(r.Dword());
  bool ordinal = false;
  uint16_t value = 0;
  item->className = r.NameOrOrdinal(&ordinal, &value);
  if (ordinal) {
    item->className = PredefinedClass(value);
  }
  item->text = r.NameOrOrdinal(&ordinal, &value);
  r.Skip(r.Word());  // creation data
  return r.Ok();
}

}  // namespace

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate* out) {
  Reader r(data, size);
  if (r.Word() != 1 || r.Word() != 0xFFFF) {
    return false;
  }
  r.Dword();  // help id
  out->exStyle = r.Dword();
  out->style = r.Dword();
  uint16_t count = r.Word();
  out->x = static_cast<int16_t>(r.Word());
  out->y = static_cast<int16_t>(r.Word());
  out->cx = static_cast<int16_t>(r.Word());
  out->cy = static_cast<int16_t>(r.Word());
  bool ordinal = false;
  uint16_t value = 0;
  out->menu = r.NameOrOrdinal(&ordinal, &value);
  out->className = r.NameOrOrdinal(&ordinal, &value);
  out->caption = r.String();
  if (out->style & (DS_SETFONT | DS_SHELLFONT)) {
    out->pointSize = r.Word();
    out->weight = r.Word();
    out->italic = r.Byte();
    out->charset = r.Byte();
    out->face = r.String();
  }
  out->items.assign(count, DialogTemplateItem{});
  for (DialogTemplateItem& item : out->items) {
    if (!ParseItem(r, &item)) {
      return false;
    }
  }
  return r.Ok();
}

bool LoadDialogTemplate(HMODULE module, int id, WORD language, DialogTemplate* out) {
  HRSRC found = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(id), language);
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  return data != nullptr && ParseDialogTemplate(data, SizeofResource(module, found), out);
}
