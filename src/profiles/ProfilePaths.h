#pragma once
// Where the files of a profile lie and how one file of a pair leads to the other. A user profile is two
// files with one title in the folder of its endpoint: "<title>.lyt" (its list item) and "<title>.profile"
// (its settings). Apart from FindFiles these functions only work on the text of a path.

#include <string>
#include <vector>

// "a_b".
std::wstring JoinWithUnderscore(const std::wstring& a, const std::wstring& b);
// The path with its extension (from the last ".") replaced by ".profile"; empty without a ".".
std::wstring MakeProfileFileName(const std::wstring& path);
// The title between the last "\" and the last "."; empty when either is missing or out of order.
std::wstring ExtractFileTitle(const std::wstring& path);
// With a nonzero flag the title followed by "*"; with 0 the profile key "<endpoint folder>_<title>".
std::wstring GetProfileTitle(const std::wstring& path, int flag);
// The path up to and including its last "\"; empty without one.
std::wstring ExtractFolderPath(const std::wstring& path);
// "<title>.profile", a bare file name.
std::wstring MakeProfileFileTitle(const std::wstring& path);

// Appends the full paths the pattern matches, skipping those in the exclude list; with requireProfile set
// only those whose settings file exists, so that a list item without its settings is never offered.
void FindFiles(std::vector<std::wstring>& paths, const std::vector<std::wstring>& exclude, const std::wstring& pattern,
               int requireProfile);

// Whether the name can be the title of a profile's files: not empty, none of \ / : * ? " < > | or control
// characters, not "." or "..", and not a reserved device name ("CON", "com1" ...), which Windows would open
// as the device instead of a file.
bool IsValidProfileTitle(const std::wstring& title);

// "<data folder>Profile\<endpoint>\<title><extension>" (the data folder ends in "\"), for extension ".lyt"
// or ".profile". Empty when the title or the endpoint folder cannot be a file name or the path would not
// fit MAX_PATH, so that no caller writes a file under a name other than the one the user chose.
std::wstring MakeUserProfilePath(const std::wstring& dataFolder, const std::wstring& endpointFolder,
                                 const std::wstring& title, const wchar_t* extension);
// The user-profile folder of an endpoint, "<data folder>Profile\<endpoint>\".
std::wstring MakeUserProfileFolder(const std::wstring& dataFolder, const std::wstring& endpointFolder);
// The list-item template of the program's "profile" folder (which ends in "\"): "<folder>/UserDefineFormwork.lyt".
std::wstring MakeTemplatePath(const std::wstring& programProfileFolder);
// "<program folder>FactoryDefault.xml": it lies in the program folder itself.
std::wstring MakeFactoryDefaultPath(const std::wstring& programFolder);
