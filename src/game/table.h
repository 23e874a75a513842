#pragma once
// The room's table. The mahjong table wraps the rules engine's table, built on the very record
// that the room's rule holds, so that a rule set after the table exists is the rule it plays by.
#include <boost/shared_ptr.hpp>

#include "game/rule.h"
#include "mahjong/table.h"

namespace game {

class TTable {
public:
    explicit TTable(boost::shared_ptr<TRule> rule) : rule_(std::move(rule)) {}
    virtual ~TTable() = default;
    TTable(const TTable&) = delete;
    TTable& operator=(const TTable&) = delete;

    const boost::shared_ptr<TRule>& rule() const { return rule_; }

private:
    boost::shared_ptr<TRule> rule_;
};

class TMahjongTable : public TTable {
public:
    // rule must be a TMahjongRule; the embedded table shares its record.
    explicit TMahjongTable(const boost::shared_ptr<TMahjongRule>& rule);

    mahjong::TTable& table() { return table_; }
    const mahjong::TTable& table() const { return table_; }

private:
    mahjong::TTable table_;
};

}  // namespace game
