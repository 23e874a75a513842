#include "mahjong/rule.h"

#include "platform/little_endian.h"

namespace mahjong {

void TRule::setDefault() {
    players = 4;
    deadWall = 14;
    gameLength = 1;
    redFives = 2;
    startPoints = 25000;
    targetPoints = 30000;
    fourRitiDraw = true;
    fourWindsDraw = true;
    openTanyao = true;
    fourthSwitch = false;
    splitWall = false;
    noWinPenalty = false;
    extra1 = 0;
    extra2 = 0;
    extra3 = 0;
}

std::vector<uint8_t> TRule::toBytes() const {
    std::vector<uint8_t> out;
    out.reserve(16);
    for (int v : {players, deadWall, gameLength, redFives, extra1, extra2, extra3})
        out.push_back(static_cast<uint8_t>(v & 0xFF));
    le::append(out, startPoints);
    le::append(out, targetPoints);
    uint8_t flags = 0;
    if (fourRitiDraw) flags |= 0x01;
    if (fourWindsDraw) flags |= 0x02;
    if (openTanyao) flags |= 0x04;
    if (fourthSwitch) flags |= 0x08;
    if (splitWall) flags |= 0x10;
    if (noWinPenalty) flags |= 0x20;
    out.push_back(flags);
    return out;
}

size_t TRule::read(const uint8_t* bytes, size_t length) {
    if (bytes == nullptr || length < size()) return 0;
    auto sbyte = [&](int i) { return static_cast<int>(static_cast<int8_t>(bytes[i])); };
    const int p = sbyte(0);
    const int dw = sbyte(1);
    if (p < 2 || p > 4 || dw < 0) return 0;
    players = p;
    deadWall = dw;
    gameLength = sbyte(2);
    redFives = sbyte(3);
    extra1 = sbyte(4);
    extra2 = sbyte(5);
    extra3 = sbyte(6);
    startPoints = le::load32(bytes + 7);
    targetPoints = le::load32(bytes + 11);
    const uint8_t flags = bytes[15];
    fourRitiDraw = flags & 0x01;
    fourWindsDraw = flags & 0x02;
    openTanyao = flags & 0x04;
    fourthSwitch = flags & 0x08;
    splitWall = flags & 0x10;
    noWinPenalty = flags & 0x20;
    return 16;
}

bool TRule::applyOption(int option) {
    switch (option) {
        case RO_PLAYER_2:
            players = 2;
            break;
        case RO_PLAYER_3:
            players = 3;
            break;
        case RO_PLAYER_4:
            players = 4;
            break;
        case RO_HANCHAN:
            gameLength = 0;
            break;
        case RO_TOUFU:
            gameLength = 1;
            break;
        case RO_RED_NONE:
            redFives = 0;
            break;
        case RO_RED_5PIN:
            redFives = 1;
            break;
        case RO_RED_5EACH:
            redFives = 2;
            break;
        case RO_RED_5EACH_PLUS:
            redFives = 3;
            break;
        case RO_MOTI_25000:
            startPoints = 25000;
            break;
        case RO_MOTI_27000:
            startPoints = 27000;
            break;
        case RO_MOTI_30000:
            startPoints = 30000;
            break;
        case RO_KUITAN_ARI:
            openTanyao = true;
            break;
        case RO_KUITAN_NASI:
            openTanyao = false;
            break;
        case RO_WAREME_ARI:
            splitWall = true;
            break;
        case RO_WAREME_NASI:
            splitWall = false;
            break;
        case RO_TORI_ARI:
            noWinPenalty = true;
            break;
        case RO_TORI_NASI:
            noWinPenalty = false;
            break;
        default:
            return false;
    }
    return true;
}

bool TRule::operator==(const TRule& o) const {
    return players == o.players && deadWall == o.deadWall && gameLength == o.gameLength && redFives == o.redFives &&
           startPoints == o.startPoints && targetPoints == o.targetPoints && fourRitiDraw == o.fourRitiDraw &&
           fourWindsDraw == o.fourWindsDraw && openTanyao == o.openTanyao && fourthSwitch == o.fourthSwitch &&
           splitWall == o.splitWall && noWinPenalty == o.noWinPenalty && extra1 == o.extra1 && extra2 == o.extra2 &&
           extra3 == o.extra3;
}

}  // namespace mahjong
