#include "game/table.h"

namespace game {

TMahjongTable::TMahjongTable(const boost::shared_ptr<TMahjongRule>& rule) : TTable(rule), table_(rule->rule()) {}

}  // namespace game
