#pragma once
// TStorage: the one place where a resource name becomes bytes. A name is resolved through
// aliases ("<key>rest"), the base folder and search pairs, then found as a file or as a member
// of an archive on the way ("script.pak\main.g2m" is the member main.g2m of the archive file
// script.pak). Pictures decode through the plug-ins, asked most recently added first.
// TStorageGraph adds surfaces, alpha channels and waves, made by the graphics and sound layers
// through the makers they install.
#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "framework/file_system.h"
#include "framework/stream.h"
#include "platform/mem_block.h"
#include "storage/image.h"
#include "storage/spi.h"

class TStorage {
public:
    // The store becomes the process-wide one (TStorage::instance()).
    TStorage();
    virtual ~TStorage();
    TStorage(const TStorage&) = delete;
    TStorage& operator=(const TStorage&) = delete;

    static TStorage* instance();

    virtual void useModuleFolder();
    // One trailing backslash is removed; the base folder counts as set when not empty.
    virtual void setBaseFolder(const std::string& path);
    virtual std::string getModuleFolder();
    virtual std::string getBaseFolder();
    // fullPath copied into buffer: at most size - 1 characters, always terminated.
    virtual char* fullPathTo(const std::string& name, char* buffer, size_t size);
    // The alias expanded, then joined to the base folder when one is set.
    virtual std::string fullPath(const std::string& name);
    virtual void setAlias(const std::string& key, const std::string& value);  // key with its brackets
    virtual void removeAlias(const std::string& key);
    virtual std::string getAlias(const std::string& key);
    virtual std::string expandAlias(const std::string& name);
    virtual void addSearchPair(const std::string& from, const std::string& to);
    virtual void removeSearchPairs(const std::string& from);
    // A file (not a folder) at fullPath(name).
    virtual bool exists(const std::string& name);
    virtual bool getFileInfo(const std::string& name, FileInfo& info);
    // A stream over a member (in memory) or a file; null when not found or not readable.
    virtual std::unique_ptr<TStream> openStream(const std::string& name);
    // Decodes a picture into an info block and a pixel block. False when it is not found, or
    // when it is found and refused: then pictureRefusal() says why. An archive member larger than
    // any picture file (kSpiMaxPictureFile) is refused without being extracted.
    virtual bool getPicture(const std::string& name, platform::MemBlock& info, platform::MemBlock& bits);
    // The picture as an image, or null. A picture found and refused is said once on standard
    // error, by the name asked for and why; a picture not found is not.
    virtual std::unique_ptr<TImage> loadImage(const std::string& name);
    // Why the last getPicture refused what it found; empty when it succeeded or found nothing.
    const std::string& pictureRefusal() const { return pictureRefusal_; }
    // Search pairs, then the name itself; on success name becomes the path found. A member's
    // bytes and record are handed back; an empty record (method byte 0) means a plain file.
    virtual bool locate(std::string& name, platform::MemBlock& member, SpiFileInfo& record);
    virtual bool locateInArchives(const std::string& path, platform::MemBlock& member, SpiFileInfo& record);

    // Plug-ins: the most recently added is asked first; the store owns them.
    bool addPlugin(std::unique_ptr<SpiFile> plugin);
    void clearPlugins();
    SpiFile* firstPlugin();
    SpiFile* nextPlugin();
    SpiFile* currentPlugin() const { return current_; }
    // The plug-in that recognises the file's bytes from offset (the file's first 2,176 bytes).
    SpiFile* probeFile(const std::string& path, size_t offset);
    // The plug-in that recognises the bytes (their first 2,048).
    SpiFile* probeMemory(const std::string& name, const uint8_t* bytes, size_t size);

    const char* pluginFolder() const { return pluginFolder_; }

protected:
    // Says once on standard error, for the run of this store, that the picture of that name was
    // refused and why.
    void reportRefusal(const std::string& name, const std::string& why);

private:
    // A bound on the member a lookup extracts: a larger one stays in its archive, and its size is
    // noted in found.
    struct MemberLimit {
        uint64_t bytes;
        uint64_t found = 0;
    };
    bool locateWithin(std::string& name, platform::MemBlock& member, SpiFileInfo& record, MemberLimit* limit);
    bool inArchives(const std::string& path, platform::MemBlock& member, SpiFileInfo& record, MemberLimit* limit);
    bool findMember(const std::string& archive, const std::string& memberPath, platform::MemBlock& member,
                    SpiFileInfo& record, MemberLimit* limit);
    bool findNested(std::string rest, platform::MemBlock& member, SpiFileInfo& record, MemberLimit* limit);

    std::list<std::unique_ptr<SpiFile>> plugins_;
    std::list<std::unique_ptr<SpiFile>>::iterator cursor_;
    SpiFile* current_ = nullptr;
    char pluginFolder_[520] = {};
    std::string baseFolder_;
    bool hasBaseFolder_ = false;
    std::map<std::string, std::string> aliases_;
    std::vector<std::pair<std::string, std::string>> searchList_;
    std::string pictureRefusal_;
    std::unordered_set<std::string> refusalsSaid_;  // folded names
};

namespace graphics {
class TSurface32;
class TAlphaCh;
struct TImageTrans;
}  // namespace graphics
class TWave;

class TStorageGraph : public TStorage {
public:
    // Makes surfaces and alpha channels from decoded images; the graphics layer installs one.
    class TSurfaceMaker {
    public:
        virtual ~TSurfaceMaker() = default;
        // A new surface filled from the image (with the transparency setting when given), or
        // null when it cannot be made.
        virtual graphics::TSurface32* makeSurface(TImage& image, const graphics::TImageTrans* transform) = 0;
        virtual bool hasAlpha(graphics::TSurface32& surface) = 0;
        virtual void applyAlphaFromImage(graphics::TSurface32& surface, TImage& alpha) = 0;
        virtual graphics::TAlphaCh* makeAlphaChannel(TImage& image) = 0;
    };
    // Makes waves from a file or from bytes in memory; the sound layer installs one.
    class TWaveFactory {
    public:
        virtual ~TWaveFactory() = default;
        virtual TWave* fromPath(const std::string& path) = 0;
        virtual TWave* fromBytes(const void* bytes, size_t size) = 0;
    };

    TStorageGraph() = default;
    ~TStorageGraph() override;

    // With withAlphaFile, a surface without alpha takes it from the companion image
    // ("bg.bmp" -> "bga.bmp") when that loads.
    virtual graphics::TSurface32* loadSurface(const std::string& name, bool withAlphaFile);
    virtual graphics::TSurface32* loadSurfaceWith(const std::string& name, const graphics::TImageTrans* transform,
                                                  bool withAlphaFile);
    virtual graphics::TAlphaCh* loadAlphaChannel(const std::string& name);
    virtual void setWaveFactory(TWaveFactory* factory, bool owned);
    virtual TWave* loadWave(const std::string& name);

    void setSurfaceMaker(TSurfaceMaker* maker, bool owned);
    // "a" inserted before the last "." of the last path component, or appended.
    static std::string alphaCompanionName(const std::string& name);

private:
    TWaveFactory* waveFactory_ = nullptr;
    bool ownsWaveFactory_ = false;
    TSurfaceMaker* surfaceMaker_ = nullptr;
    bool ownsSurfaceMaker_ = false;
};
