#pragma once
// Read-text tracking: per script file, one bit per read point that says whether the player has
// read the passage. The core holds one TReadCheckList for the whole run and asks it for a
// script's table each time the script is loaded.
#include <memory>
#include <string>
#include <vector>

#include "script/check_table.h"

class TReadCheck : public TCheckTbl {
public:
    // A zeroed table of n bits for the script file name; false when it cannot be made.
    virtual bool create(const std::string& name, int32_t nbits);
    using TCheckTbl::create;
    // Section "ReadCheck": "Name", then the bits.
    void exchange(TValueExchange& x) override;

    const std::string& name() const { return name_; }

private:
    std::string name_;
};

class TReadCheckList {
public:
    TReadCheckList() = default;
    virtual ~TReadCheckList() = default;
    TReadCheckList(const TReadCheckList&) = delete;
    TReadCheckList& operator=(const TReadCheckList&) = delete;

    virtual void clear() { tables_.clear(); }
    // Section "ReadCheckList": "Size", then each table. Loading appends the tables it reads.
    virtual void exchange(TValueExchange& x);
    // The table of the script name (ASCII letters compared without case), grown to at least
    // nbits; a new table at the end of the list when there is none. Null only when a new table
    // cannot be made. The list keeps ownership.
    virtual TReadCheck* getOrCreate(const std::string& name, int32_t nbits);

    size_t size() const { return tables_.size(); }
    TReadCheck* at(size_t i) const { return tables_[i].get(); }

private:
    std::vector<std::unique_ptr<TReadCheck>> tables_;
};
