#pragma once
// Animation scripts (".as"): timed one-letter commands, one a line. A line is a time stamp in
// milliseconds, a command word of which only the first letter counts, and the command's
// operands; ';' starts a comment. TAsScript reads a file into the command list of an animation
// (TAnisBase), which keeps the image names the commands refer to by index.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStream;

namespace present {

class TAnisBase;

struct TAsCmd {
    enum Kind : int32_t { kSize, kImage, kOffset, kMove, kBlend, kJump, kCompare, kWait };

    explicit TAsCmd(int32_t type) : Type(type) {}
    virtual ~TAsCmd() = default;
    virtual std::unique_ptr<TAsCmd> clone() const = 0;

    int32_t Time = 0;  // the line's time stamp
    int32_t Type;
};

template <class Self, int32_t kType>
struct TAsCmdOf : TAsCmd {
    TAsCmdOf() : TAsCmd(kType) {}
    std::unique_ptr<TAsCmd> clone() const override { return std::make_unique<Self>(static_cast<const Self&>(*this)); }
};

struct TAsCmdSize : TAsCmdOf<TAsCmdSize, TAsCmd::kSize> {
    int32_t Width = 0, Height = 0;
};
struct TAsCmdImage : TAsCmdOf<TAsCmdImage, TAsCmd::kImage> {
    int32_t ImageIndex = -1;  // negative: no image
    int32_t X = 0, Y = 0;
};
struct TAsCmdOffset : TAsCmdOf<TAsCmdOffset, TAsCmd::kOffset> {
    int32_t X = 0, Y = 0;
};
struct TAsCmdMove : TAsCmdOf<TAsCmdMove, TAsCmd::kMove> {
    int32_t X = 0, Y = 0;
};
struct TAsCmdBlend : TAsCmdOf<TAsCmdBlend, TAsCmd::kBlend> {
    int32_t Blend = 255;
};
struct TAsCmdJump : TAsCmdOf<TAsCmdJump, TAsCmd::kJump> {
    int32_t TargetTime = 0;
    int32_t TargetIndex = 0;  // resolved after the whole file is read
};
struct TAsCmdCompare : TAsCmdOf<TAsCmdCompare, TAsCmd::kCompare> {
    enum Register : int32_t { kX, kY, kBlendReg, kRandom };
    enum Operator : int32_t { kGreater, kGreaterEqual, kLess, kLessEqual, kEqual, kNotEqual };
    int32_t Register = 0, Operator = 0, Value = 0;
    int32_t TargetTime = 0;
    int32_t TargetIndex = 0;
};
struct TAsCmdWait : TAsCmdOf<TAsCmdWait, TAsCmd::kWait> {};

class TAsScript {
public:
    // A token longer than the lexer's buffer.
    class TInvalidError {};

    enum Token : int32_t { kEnd = 1, kNumber = 2, kString = 3, kWord = 4, kEndOfLine = 5 };
    static constexpr size_t kMaxToken = 1023;

    explicit TAsScript(TAnisBase& target) : target_(target) {}
    virtual ~TAsScript() = default;
    TAsScript(const TAsScript&) = delete;
    TAsScript& operator=(const TAsScript&) = delete;

    // Replaces the animation's commands by those of the stream; the number read, 0 on failure
    // (no command, or a token too long, which leaves the list empty).
    virtual int parse(TStream& stream);
    // The name's index in the animation's image list (ASCII case ignored), appended when new.
    virtual int addImage(const std::string& name);
    // One line's command, or null for a line that gives none.
    virtual std::unique_ptr<TAsCmd> parseLine();
    virtual bool nextIsName();
    virtual bool nextIsNumber();

    // The token last read.
    Token token() const { return token_; }
    const std::string& text() const { return text_; }
    int32_t number() const { return value_; }
    int line() const { return line_; }

private:
    Token next();
    bool atLineEnd() const { return token_ == kEnd || token_ == kEndOfLine; }
    void takeChar();
    void skipLine();

    TAnisBase& target_;
    std::string input_;
    size_t pos_ = 0;
    int line_ = 1;
    Token token_ = kEndOfLine;
    std::string text_;
    int32_t value_ = 0;
};

// One parsed animation: its commands, the image names they index and its size.
class TAnisBase {
public:
    TAnisBase() = default;
    TAnisBase(const TAnisBase&) = delete;
    TAnisBase& operator=(const TAnisBase&) = delete;
    virtual ~TAnisBase() = default;

    // A free text kept with the animation; nothing reads it.
    virtual const std::string& getNote() const { return note_; }
    virtual void setNote(const std::string& note) { note_ = note; }
    virtual bool hasCommands() const { return !Commands.empty(); }
    // The name, size, image names and copies of the commands of another animation.
    virtual bool assign(const TAnisBase& other);
    // Stores name as Name when any command was read.
    virtual bool parse(TStream& stream, const std::string& name);
    // Through the resource store; the script's folder becomes Name (image names are relative to
    // it). False when the file cannot be opened or gives no command.
    virtual bool load(const std::string& fileName);
    virtual void clearCommands() { Commands.clear(); }

    std::string Name;
    int32_t Width = -1;  // -1: unset, the size follows the image
    int32_t Height = -1;
    std::vector<std::string> ImageNames;
    std::vector<std::unique_ptr<TAsCmd>> Commands;

private:
    std::string note_;
};

// The part of a Shift-JIS path before its last '\' (empty when there is none).
std::string folderOf(const std::string& path);
// folder + "\" + name, or name alone when the folder is empty.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace present
