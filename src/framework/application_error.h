#pragma once
// The two kinds of trouble that end the application's run: TException (a framework failure with a
// numeric code) and TError (a fatal error of the script engine, whose text comes from a table that
// the engine frame installs). Both are caught and shown by TGameApp::run.
#include <cstdint>
#include <exception>
#include <string>

// Framework failure codes.
enum : uint32_t {
    kErrNoMainWindow = 0x1000001,
    kErrWindowCreate = 0x2002001,
    kErrWindowClass = 0x2002002,
    kErrFileOpen = 0x1001001,
};

class TException : public std::exception {
public:
    explicit TException(uint32_t code, std::string text = {}) : code_(code), text_(std::move(text)) {}
    uint32_t code() const { return code_; }
    const std::string& text() const { return text_; }
    const char* what() const noexcept override { return "TException"; }

private:
    uint32_t code_;
    std::string text_;
};

// One row of the engine error table; the table ends with a row whose code is 0.
struct TErrorEntry {
    uint32_t code;
    const char* message;  // Shift-JIS; may hold one "%s" that takes the error's argument
};

// Installs the process-wide error table (nullptr removes it). The table must outlive its use.
void setErrorTable(const TErrorEntry* table);
const TErrorEntry* errorTable();

class TError : public std::exception {
public:
    explicit TError(int code, std::string argument = {}) : code_(code), argument_(std::move(argument)) {}
    int code() const { return code_; }
    const std::string& argument() const { return argument_; }
    // Builds "error %04x: " followed by the table's message for the code (its "%s" replaced by the
    // argument), or by the argument alone when the code is not in the table; stores and returns it.
    const std::string& text();
    const std::string& message() const { return message_; }
    const char* what() const noexcept override { return "TError"; }

private:
    int code_;
    std::string argument_;
    std::string message_;
};
