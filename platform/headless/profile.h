// Private profile (.ini) text, read and edited the way kernel32's
// GetPrivateProfileStringA and WritePrivateProfileStringA treat a file, on the
// file's bytes only. The desktop adds the file system around it.
//
// Reading, as the real functions do:
// - lines end at any run of CR/LF; blanks (tab, LF, VT, FF, CR, space, ^Z)
//   around a line, after a key name and before a value are dropped;
// - "[name]" runs to the LAST ']' of the line, blanks inside the brackets dropped;
// - a line without '=' is a key without value: looking it up gives the default;
// - section and key lookups trim the names asked for and ignore ASCII case;
//   only the first section of a name is searched and its first key of a name wins;
// - one pair of matching quotes ('...' or "...") around a value (or the
//   default) is dropped; when the value is cut, the closing quote is too;
// - trailing spaces of the default are dropped.
//
// Writing edits the text in place, as Windows 9x does: every other line, comment
// and blank line stays as it was; a changed key line becomes "name=value"; a new
// key goes after the last non-blank line of its section; a new section goes at
// the end of the file, after a blank line.
#pragma once

#include <cstdint>
#include <string>

namespace headless::profile {

// GetPrivateProfileStringA on `text` (null: the file does not exist). A null
// section lists the section names, a null key the key names of the section,
// each NUL-terminated, the list ending with a second NUL. Returns the count of
// characters copied without the final terminator: size - 1 when one value was
// cut, size - 2 when a list was cut.
std::uint32_t Read(const std::string* text, const char* section, const char* key,
                   const char* default_value, char* buffer, std::uint32_t size);

// GetPrivateProfileStringA when the file cannot be opened at all (its folder is
// missing, say): the default (quotes kept for a key, dropped for a key list), or
// nothing for the section names.
std::uint32_t ReadUnopened(const char* section, const char* key, const char* default_value,
                           char* buffer, std::uint32_t size);

// WritePrivateProfileStringA's edit of `text` (empty for a new file): a null key
// deletes the section, a null value the key. `section` must not be null. Returns
// true when the text changed (writing a value equal to the stored one, or
// deleting what is not there, changes nothing).
bool Write(std::string& text, const char* section, const char* key, const char* value);

}  // namespace headless::profile
