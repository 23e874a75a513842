#pragma once
// Actors: the numbered speakers that scripts define (name, colour, message frame, voice), kept
// by the core, and their saved form. The game saves the whole records; the common save keeps
// only the voice settings, which the player chooses.
#include <cstdint>
#include <map>
#include <string>

class TValueExchange;

struct TG2Actor {
    bool enabled = false;
    uint32_t color = 0xFFFFFFFF;  // ARGB
    int32_t frame = -1;           // message frame of the name, -1 none
    bool voiceEnabled = true;
    int32_t voiceVolume = 255;
    std::string name;
};

// By actor number; looking a number up makes its record.
using TG2ActorMap = std::map<int32_t, TG2Actor>;

// Section "Actor": "Flag" (enabled), "Color", "Name", "FrameNo".
void exchangeActor(TValueExchange& x, TG2Actor& actor);
// Section "ActorMap": each actor as "ID" and its record, ended by "ID" -1. Loading fills the
// records of the numbers read (made when missing). An actor whose number does not fit the
// 16-bit "ID" (0-32767) cannot be stored and is left out of the save.
void exchangeActorMap(TValueExchange& x, TG2ActorMap& actors);
// Section "ActorMap" with the voice settings only: "ID", "Voice", "VoiceVolume".
void exchangeActorVoiceMap(TValueExchange& x, TG2ActorMap& actors);
