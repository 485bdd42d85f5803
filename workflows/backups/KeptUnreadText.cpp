// What a list of backups says of a file that is not read (see KeptUnreadText.h).
#include "workflows/backups/KeptUnreadText.h"

#include <string>

namespace {

std::wstring Widen(const char* ascii) {
  const std::string text(ascii);
  return std::wstring(text.begin(), text.end());
}

}  // namespace

std::wstring KeptUnreadText(const BackupEntry& entry) {
  constexpr wchar_t kKept[] = L": kept, not read";
  switch (entry.damage) {
    case BackupDamage::kNone:
      return L"";
    case BackupDamage::kLaterFormat:
      return L"written by a newer version of Padwright (format " + std::to_wstring(entry.format) +
             L")" + kKept;
    case BackupDamage::kUnreadable:
      return L"unreadable" + (entry.reason.empty() ? L"" : L" (" + entry.reason + L")") + kKept;
    default:
      break;
  }
  const std::wstring damage = L"(" + Widen(DamageText(entry.damage)) + L")";
  return (entry.saysPending ? L"a damaged pending backup " : L"damaged ") + damage + kKept;
}
