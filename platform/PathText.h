// Splitting a path into folder and file name, and testing its extension: pure text work,
// backslash as the separator.
#pragma once

#include <string>

// The text before the last backslash; empty when there is none.
std::wstring DirectoryOf(const std::wstring& path);
// DirectoryOf after turning every forward slash into a backslash (how wildcard patterns are
// checked for a folder part).
std::wstring DirectoryOfAnySlash(const std::wstring& path);
// The text after the last backslash, extension included; the whole path when there is none.
std::wstring FileNameOf(const std::wstring& path);
// The file name of `path` ends in `extension` (".vxf"), ASCII letters compared without case.
bool HasExtension(const std::wstring& path, const std::wstring& extension);
