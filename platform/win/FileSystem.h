// Win32 file and path helpers: the program's own path, file and folder tests, absolute
// paths against the program's folder, and wildcard listing of files.
#pragma once

#include <string>
#include <vector>

// Full path of the program file; empty when it cannot be read or does not fit in 259
// characters (a cut path would name some other place).
std::wstring GetModulePath();
// The folder of the program file (DirectoryOf(GetModulePath())).
std::wstring GetModuleDirectory();
// The path's attributes can be read and it is not a folder.
bool IsFile(const std::wstring& path);
// The path's attributes can be read and it is a folder.
bool IsDirectory(const std::wstring& path);
// `path` itself when absolute; the program's folder when empty; else the program's folder,
// a backslash and `path`.
std::wstring MakeAbsolute(const std::wstring& path);
// Full paths of the files matching the wildcard `pattern` ("*" when empty) in `directory`
// (made absolute) and, down to `depth` levels, in its subfolders: each folder's own files
// first, in the order the file system lists them. A pattern with a folder part finds nothing.
std::vector<std::wstring> FindFiles(const std::wstring& directory, const std::wstring& pattern,
                                    int depth);
// The firmware files ("*.vxf") directly in `directory`, as the start-up discovery takes them:
// only names whose long form ends in ".vxf". The wildcard alone also matches 8.3 short names,
// so "fw.vxf2" (short name "FW~1.VXF") would count as well.
std::vector<std::wstring> FindFirmwareFiles(const std::wstring& directory);
