#pragma once
// The reader of the INI-like text of animated-sprite descriptions: "[section]" headers and
// key=value entries, keys and values taken as written (no trimming), compared byte for byte.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class TStream;

namespace graphics {

// A signed integer from text as the descriptions write them: leading blanks, a sign, then
// decimal, hexadecimal after "0x" or octal after a leading "0"; reading stops at the first
// character that does not fit. No number reads as 0; values beyond 32 bits saturate.
int32_t parseNumber(const char* text, const char** end = nullptr);
inline int32_t parseNumber(const std::string& text) { return parseNumber(text.c_str()); }

// The position of the first byte ch in text at or after from that is not the second byte of a
// Shift-JIS character; npos when there is none.
size_t findSjis(const std::string& text, char ch, size_t from = 0);

class TProfileReader {
public:
    TProfileReader() = default;
    virtual ~TProfileReader() = default;

    // Reads every line of the stream (replacing what was read before). Always true.
    virtual bool read(TStream& stream);
    virtual void clearLines();
    virtual bool setSection(const std::string& name);
    // The value of the first entry of key under a header of the current section, in file order;
    // def when there is none. Entries before the first header belong to no section.
    virtual std::string getString(const std::string& key, const std::string& def) const;
    // def for a missing or empty value, else its number.
    virtual int32_t getInt(const std::string& key, int32_t def) const;
    // Appends the value's pieces (split at ',') to list; its new length, or 0 (list untouched)
    // for a missing or empty value.
    virtual size_t getList(const std::string& key, std::vector<std::string>& list) const;

    const std::vector<std::string>& lines() const { return lines_; }
    const std::string& section() const { return section_; }

private:
    // Every (section, key) with the value of its first entry: lookups stay cheap however many
    // keys a description asks for.
    void index();

    std::vector<std::string> lines_;
    std::string section_;
    std::map<std::pair<std::string, std::string>, std::string> entries_;
};

}  // namespace graphics
