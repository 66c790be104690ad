// The plug-in's side of the contract: the contract's records instantiated
// with tString, and the one link to the host every framework piece sends
// its requests through.
#pragma once

#include "HostAbi.h"
#include "tString.h"

using HostRequest = BasicHostRequest<tString>;
using MissionSettings = BasicMissionSettings<tString>;
using ScriptInterface = BasicScriptInterface<tString>;
using RequestFn = BasicCallbacks<tString>::RequestFn;
using CreateUnitFn = BasicCallbacks<tString>::CreateUnitFn;
using MessageFn = BasicCallbacks<tString>::MessageFn;
using RandomFn = BasicCallbacks<tString>::RandomFn;

class MissionHooks;
class MissionText;
class MissionMap;

// One per plug-in. A callback the host never installed is never called:
// the request is dropped (its results read as sent, 0 for queries) and a
// random draw answers its low bound.
struct HostLink {
    RequestFn requestFn = nullptr;
    CreateUnitFn createUnitFn = nullptr;
    MessageFn messageFn = nullptr;
    RandomFn randomFn = nullptr;

    MissionHooks* mission = nullptr;  // the mission the hooks run on
    int mapCursor = 0;                // shared by the host's reader and the framework
    int mapIndex = 0;                 // the chosen map

    // False when the host has no request callback: nothing was sent and a
    // query answers 0.
    bool Request(HostRequest& request) const {
        if (requestFn == nullptr) return false;
        requestFn(&request);
        return true;
    }
    // False when the host has no create-unit callback: nothing is created.
    bool CreateUnit(UnitSpec& creation) const {
        if (createUnitFn == nullptr) return false;
        createUnitFn(&creation);
        return true;
    }
    void Message(tString& text, int kind, HostHandle unit) const {
        if (messageFn != nullptr) messageFn(&text, kind, unit);
    }
    int Random(int low, int high) const { return randomFn != nullptr ? randomFn(low, high) : low; }
};

HostLink& Link();
