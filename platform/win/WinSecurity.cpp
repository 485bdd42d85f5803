// Windows security descriptors in plain form (see WinSecurity.h).
#include "platform/win/WinSecurity.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

std::string SidText(PSID sid) {
  LPSTR text = nullptr;
  if (sid == nullptr || !ConvertSidToStringSidA(sid, &text)) {
    return "";
  }
  std::string result(text);
  LocalFree(text);
  return result;
}

AccessEntry DescribeEntry(const ACE_HEADER* header) {
  AccessEntry entry;
  entry.flags = header->AceFlags;
  // Allow and deny entries share one layout; other kinds put their account elsewhere, so
  // only their rights are read.
  const auto* plain = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
  entry.mask = plain->Mask;
  switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
      entry.kind = AccessEntry::Kind::kAllow;
      entry.sid = SidText(const_cast<DWORD*>(&plain->SidStart));
      break;
    case ACCESS_DENIED_ACE_TYPE:
      entry.kind = AccessEntry::Kind::kDeny;
      entry.sid = SidText(const_cast<DWORD*>(&plain->SidStart));
      break;
    default:
      entry.kind = AccessEntry::Kind::kOther;
      break;
  }
  return entry;
}

}  // namespace

bool DescribeSecurity(PSECURITY_DESCRIPTOR descriptor, FolderSecurity* out) {
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  BOOL present = FALSE;
  PACL list = nullptr;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !GetSecurityDescriptorControl(descriptor, &control, &revision) ||
      !GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted)) {
    return false;
  }
  FolderSecurity security;
  security.owner = SidText(owner);
  security.hasAccessList = present && list != nullptr;
  security.inheritsEntries = (control & SE_DACL_PROTECTED) == 0;
  for (DWORD i = 0; security.hasAccessList && i < list->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(list, i, &ace)) {
      return false;
    }
    security.entries.push_back(DescribeEntry(static_cast<const ACE_HEADER*>(ace)));
  }
  *out = std::move(security);
  return true;
}

bool ReadSecurity(HANDLE handle, FolderSecurity* out) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                      nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool read = DescribeSecurity(descriptor, out);
  LocalFree(descriptor);
  return read;
}

bool IsReparsePoint(HANDLE handle) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  return !GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof(info)) ||
         (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::string AccountWhenOwnersAreNotKept() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
    return "";
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    return "";
  }
  alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  const bool read = GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size);
  CloseHandle(token);
  return read ? SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid) : "";
}

std::wstring WidenAscii(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring WinErrorText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words = length > 0 ? std::wstring(text, length) : std::wstring();
  LocalFree(text);
  while (!words.empty() &&
         (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) {
    words.pop_back();
  }
  return L"error " + std::to_wstring(error) + (words.empty() ? L"" : L": " + words);
}

COwnerDescriptor::COwnerDescriptor(const char* ownerSid) {
  valid_ = InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
           ConvertStringSidToSidA(ownerSid, &owner_) &&
           SetSecurityDescriptorOwner(&descriptor_, owner_, FALSE);
}

COwnerDescriptor::~COwnerDescriptor() {
  LocalFree(owner_);
}

CSecurityDescriptor::CSecurityDescriptor(const FolderSecurity& security) {
  valid_ = InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
           ConvertStringSidToSidA(security.owner.c_str(), &owner_) && BuildList(security) &&
           SetSecurityDescriptorOwner(&descriptor_, owner_, FALSE) &&
           SetSecurityDescriptorDacl(&descriptor_, TRUE, AccessList(), FALSE) &&
           (security.inheritsEntries ||
            SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED));
}

CSecurityDescriptor::~CSecurityDescriptor() {
  LocalFree(owner_);
  for (PSID sid : entrySids_) {
    LocalFree(sid);
  }
}

bool CSecurityDescriptor::BuildList(const FolderSecurity& security) {
  DWORD size = sizeof(ACL);
  for (const AccessEntry& entry : security.entries) {
    PSID sid = nullptr;
    if (entry.kind == AccessEntry::Kind::kOther ||
        !ConvertStringSidToSidA(entry.sid.c_str(), &sid)) {
      return false;
    }
    entrySids_.push_back(sid);
    size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
  }
  list_.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  if (!InitializeAcl(AccessList(), static_cast<DWORD>(list_.size() * sizeof(DWORD)),
                     ACL_REVISION)) {
    return false;
  }
  for (size_t i = 0; i < security.entries.size(); ++i) {
    const AccessEntry& entry = security.entries[i];
    const BOOL added = entry.kind == AccessEntry::Kind::kAllow
                           ? AddAccessAllowedAceEx(AccessList(), ACL_REVISION, entry.flags,
                                                   entry.mask, entrySids_[i])
                           : AddAccessDeniedAceEx(AccessList(), ACL_REVISION, entry.flags,
                                                  entry.mask, entrySids_[i]);
    if (!added) {
      return false;
    }
  }
  return true;
}
