#pragma once
// Settings: TIniFile is the typed get/set interface by key within a current section; TProfile
// keeps it in one private-profile file (platform/ini_profile.h), one section at a time.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ini_profile.h"

class TIniFile {
public:
    virtual ~TIniFile() = default;

    // The current section; "Main" for null. Always true.
    virtual bool setSection(const char* name) = 0;
    // The key's text converted as strtol with base 0 ("010" is 8, "0x1F" is 31, "12abc" is 12;
    // text that is no number gives 0); def when the key is missing.
    virtual int getInt(const char* key, int def) = 0;
    // The key's text into buf of size bytes (terminated), def when missing; returns buf.
    virtual char* getString(const char* key, char* buf, uint32_t size, const char* def) = 0;
    // Copies a structure into buf; with a null buf reports the needed size in *size. Returns
    // nonzero on success.
    virtual uint32_t getStruct(const char* key, void* buf, uint32_t* size) = 0;
    virtual bool setInt(const char* key, int value) = 0;
    virtual bool setString(const char* key, const char* text) = 0;
    virtual bool setStruct(const char* key, const void* data, uint32_t size) = 0;
    // Removes the key; a missing key is no failure.
    virtual bool deleteKey(const char* key) = 0;
    // The key's text (up to 1023 bytes), def when missing.
    virtual std::string getString(const char* key, const char* def);
    // A structure in a new buffer that the caller frees with std::free, or null; *size receives
    // its size.
    virtual void* getAllocatedStruct(const char* key, uint32_t* size);
};

class TProfile : public TIniFile {
public:
    enum AccessMode { kAccessNone = 0, kAccessRead = 1, kAccessWrite = 2 };

    TProfile() = default;
    ~TProfile() override;

    using TIniFile::getString;
    bool setSection(const char* name) override;
    int getInt(const char* key, int def) override;
    char* getString(const char* key, char* buf, uint32_t size, const char* def) override;
    // Structures are written but not read back here: always 0.
    uint32_t getStruct(const char* key, void* buf, uint32_t* size) override;
    bool setInt(const char* key, int value) override;
    bool setString(const char* key, const char* text) override;
    bool setStruct(const char* key, const void* data, uint32_t size) override;
    bool deleteKey(const char* key) override;

    // Addresses file (a system path; "win.ini" when empty) and section ("Main" for null). When
    // the name has a folder part, its folders are created and the result of that is returned;
    // the names are set either way.
    virtual bool open(const std::string& file, const char* section);
    // Writes what holdWrites kept back, then access mode 0.
    virtual void close();
    virtual bool setAccessMode(int mode);

    // Writes and deletions from here on are kept back until flushWrites (or close), which puts
    // them all into the file as one whole-file replacement: a crash in between leaves the file
    // with all of them or with none. A read in between flushes first, so it sees them.
    void holdWrites() { holding_ = true; }
    // False when the file could not be written; the held writes are gone either way.
    bool flushWrites();
    // What became of the last write that reached the file (Written before any), and the error
    // number of a write that Failed.
    platform::IniWriteResult lastWrite() const { return lastWrite_; }
    uint32_t lastWriteError() const { return lastWriteError_; }

    // The file as the reads see it: read whole at the first read after open or a write, and
    // kept for the reads after it. Refused (platform/ini_profile.h) leaves every key at its
    // default and makes every write fail, the file untouched.
    platform::IniFileState readState();

    int accessMode() const { return accessMode_; }
    const std::string& fileName() const { return fileName_; }
    const std::string& section() const { return section_; }

private:
    // A write (value null deletes the key) of the current section, held or done at once.
    bool write(const char* key, const char* value);

    int accessMode_ = kAccessNone;
    std::string fileName_ = "win.ini";
    std::string section_ = "Main";
    bool holding_ = false;
    std::vector<platform::IniEdit> held_;
    std::optional<platform::IniDocument> read_;
    platform::IniFileState readState_ = platform::IniFileState::Missing;
    platform::IniWriteResult lastWrite_ = platform::IniWriteResult::Written;
    uint32_t lastWriteError_ = 0;
};
