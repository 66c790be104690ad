// The seventeen script operations, called through the plug-in's vtable.
//
// The plug-in's object is of a type the host does not know (it implements
// the interface with its own string class), so a sanitizer that checks
// the dynamic type of every virtual call would reject these calls. Every
// call the stand-in host makes goes through these functions, which are
// exempt from that check; tools should use them too instead of calling
// through Script* directly.
#pragma once

#include "HostAbi.h"

namespace host {

using Script = BasicScriptInterface<TStringLayout>;
using Settings = BasicMissionSettings<TStringLayout>;
using Callbacks = BasicCallbacks<TStringLayout>;

namespace slot {

int GetVersion(Script* s);
void Initialize(Script* s, MissionSetup* setup);
bool OnUnitCreated(Script* s, int team, int unitId, HostHandle handle);
int OnEvent(Script* s, HostEvent* event);
void RewindMap(Script* s);
const char* NextMapLine(Script* s);
TStringLayout* GetBriefing(Script* s);
int GetEndMessageCount(Script* s);
TStringLayout* GetEndMessage(Script* s, int i);
int GetScore(Script* s, int i);
bool GetSettings(Script* s, Settings* settings);
int Finish(Script* s, int code);
int GetRelation(Script* s, int teamA, int teamB);
void SetRequestFn(Script* s, Callbacks::RequestFn fn);
void SetCreateUnitFn(Script* s, Callbacks::CreateUnitFn fn);
void SetMessageFn(Script* s, Callbacks::MessageFn fn);
void SetRandomFn(Script* s, Callbacks::RandomFn fn);

}  // namespace slot
}  // namespace host
