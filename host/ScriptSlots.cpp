#include "ScriptSlots.h"

// Exempt from the dynamic-type check of virtual calls (see the header).
#if defined(__has_attribute)
#if __has_attribute(no_sanitize)
#define HOST_NO_VPTR_CHECK __attribute__((no_sanitize("vptr")))
#endif
#endif
#ifndef HOST_NO_VPTR_CHECK
#define HOST_NO_VPTR_CHECK
#endif

namespace host::slot {

HOST_NO_VPTR_CHECK int GetVersion(Script* s) { return s->GetVersion(); }
HOST_NO_VPTR_CHECK void Initialize(Script* s, MissionSetup* setup) { s->Initialize(setup); }
HOST_NO_VPTR_CHECK bool OnUnitCreated(Script* s, int team, int unitId, HostHandle handle) {
    return s->OnUnitCreated(team, unitId, handle);
}
HOST_NO_VPTR_CHECK int OnEvent(Script* s, HostEvent* event) { return s->OnEvent(event); }
HOST_NO_VPTR_CHECK void RewindMap(Script* s) { s->RewindMap(); }
HOST_NO_VPTR_CHECK const char* NextMapLine(Script* s) { return s->NextMapLine(); }
HOST_NO_VPTR_CHECK TStringLayout* GetBriefing(Script* s) { return s->GetBriefing(); }
HOST_NO_VPTR_CHECK int GetEndMessageCount(Script* s) { return s->GetEndMessageCount(); }
HOST_NO_VPTR_CHECK TStringLayout* GetEndMessage(Script* s, int i) { return s->GetEndMessage(i); }
HOST_NO_VPTR_CHECK int GetScore(Script* s, int i) { return s->GetScore(i); }
HOST_NO_VPTR_CHECK bool GetSettings(Script* s, Settings* settings) { return s->GetSettings(settings); }
HOST_NO_VPTR_CHECK int Finish(Script* s, int code) { return s->Finish(code); }
HOST_NO_VPTR_CHECK int GetRelation(Script* s, int teamA, int teamB) { return s->GetRelation(teamA, teamB); }
HOST_NO_VPTR_CHECK void SetRequestFn(Script* s, Callbacks::RequestFn fn) { s->SetRequestFn(fn); }
HOST_NO_VPTR_CHECK void SetCreateUnitFn(Script* s, Callbacks::CreateUnitFn fn) { s->SetCreateUnitFn(fn); }
HOST_NO_VPTR_CHECK void SetMessageFn(Script* s, Callbacks::MessageFn fn) { s->SetMessageFn(fn); }
HOST_NO_VPTR_CHECK void SetRandomFn(Script* s, Callbacks::RandomFn fn) { s->SetRandomFn(fn); }

}  // namespace host::slot
