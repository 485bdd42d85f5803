// Windows security descriptors in the plain form of FolderSecurity.h, and back: reading the
// owner and access list of a file or folder, and making a descriptor to give one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/FolderSecurity.h"

// Reads `descriptor` into `out`; false when it cannot be read.
bool DescribeSecurity(PSECURITY_DESCRIPTOR descriptor, FolderSecurity* out);
// The owner and access list of the open `handle` (opened with READ_CONTROL).
bool ReadSecurity(HANDLE handle, FolderSecurity* out);
// Whether the open `handle` (opened with FILE_FLAG_OPEN_REPARSE_POINT) is a link or mount
// point rather than the file or folder itself. True also when that cannot be told.
bool IsReparsePoint(HANDLE handle);
// The account whose files these are, where the file system keeps no owners: under Wine,
// which reads every file as the running account's and keeps no other owner given, that
// account; on Windows "". (Wine is told by the export of its ntdll that Windows lacks.)
std::string AccountWhenOwnersAreNotKept();
// The wide text of an ASCII one (account names, file names of ours, the rule's words).
std::wstring WidenAscii(const std::string& text);
// "error 112: There is not enough space on the disk." for a system error code.
std::wstring WinErrorText(DWORD error);

// A security descriptor that gives an object made with it only its owner, `ownerSid`: its
// access list is taken from the folder it is made in, as with no descriptor. An elevated
// administrator may name the administrators so.
class COwnerDescriptor {
 public:
  explicit COwnerDescriptor(const char* ownerSid);
  ~COwnerDescriptor();
  COwnerDescriptor(const COwnerDescriptor&) = delete;
  COwnerDescriptor& operator=(const COwnerDescriptor&) = delete;

  bool Valid() const { return valid_; }
  PSECURITY_DESCRIPTOR Descriptor() { return &descriptor_; }

 private:
  SECURITY_DESCRIPTOR descriptor_{};
  PSID owner_ = nullptr;
  bool valid_ = false;
};

// A security descriptor made from a FolderSecurity, with its own owner and access list.
class CSecurityDescriptor {
 public:
  explicit CSecurityDescriptor(const FolderSecurity& security);
  ~CSecurityDescriptor();
  CSecurityDescriptor(const CSecurityDescriptor&) = delete;
  CSecurityDescriptor& operator=(const CSecurityDescriptor&) = delete;

  // False when an account or the list could not be made; then nothing else is to be used.
  bool Valid() const { return valid_; }
  PSECURITY_DESCRIPTOR Descriptor() { return &descriptor_; }
  PSID Owner() const { return owner_; }
  PACL AccessList() { return reinterpret_cast<PACL>(list_.data()); }

 private:
  bool BuildList(const FolderSecurity& security);

  SECURITY_DESCRIPTOR descriptor_{};
  PSID owner_ = nullptr;
  std::vector<PSID> entrySids_;
  std::vector<DWORD> list_;  // the ACL, DWORD-aligned as Windows requires
  bool valid_ = false;
};
