/* A host written from the published byte offsets alone: it includes none
 * of the project's headers, builds every record as raw bytes, calls the
 * script object through the n-th pointer of its vtable, and plays
 * Dorran1.scr from settings to debriefing on the 32-bit reference ABI.
 *
 * Usage: offsets_host PATH/Dorran1.scr   (exit 0 when every check holds)
 */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

_Static_assert(sizeof(void *) == 4, "the reference ABI is 32-bit");

static int failures = 0;
#define CHECK(cond, ...)                                     \
    do {                                                     \
        if (!(cond)) {                                       \
            ++failures;                                      \
            fprintf(stderr, "FAIL line %d: ", __LINE__);     \
            fprintf(stderr, __VA_ARGS__);                    \
            fputc('\n', stderr);                             \
        }                                                    \
    } while (0)

static int32_t I32(const void *base, int offset) {
    int32_t v;
    memcpy(&v, (const char *)base + offset, 4);
    return v;
}
static void SetI32(void *base, int offset, int32_t v) { memcpy((char *)base + offset, &v, 4); }
static float F32(const void *base, int offset) {
    float v;
    memcpy(&v, (const char *)base + offset, 4);
    return v;
}
static const void *Ptr(const void *base, int offset) {
    const void *p;
    memcpy(&p, (const char *)base + offset, 4);
    return p;
}

/* A text the plug-in hands out: length at 20, 16-bit units from the
 * pointer at 28, narrowed to 8 bits. */
static void Narrow(const void *text, char *out, int size) {
    int n = I32(text, 20);
    const uint16_t *units = (const uint16_t *)Ptr(text, 28);
    int i;
    if (n > size - 1) n = size - 1;
    for (i = 0; i < n; ++i) out[i] = (char)(units[i] & 0xFF);
    out[n] = 0;
}

/* ---- what the plug-in sent ---- */
struct Sent {
    int32_t code, unit, first, second, third;
    float value;
    char text[256];
    char name[64];
};
static struct Sent sent[512];
static int sentCount = 0;
static char messages[64][256];
static int messageCount = 0;

struct Unit {
    char cls[16];
    int32_t team, marker, unitId, handle;
};
static struct Unit units[32];
static int unitCount = 0;

static void OnRequest(void *request) {
    struct Sent *s = &sent[sentCount < 511 ? sentCount++ : 511];
    const char *name = (const char *)Ptr(request, 100);
    s->code = I32(request, 0);
    s->unit = I32(request, 4);
    s->first = I32(request, 20);
    s->second = I32(request, 24);
    s->third = I32(request, 28);
    s->value = F32(request, 40);
    Narrow((const char *)request + 60, s->text, sizeof s->text);
    snprintf(s->name, sizeof s->name, "%s", name ? name : "");
    if (s->code == 32) SetI32(request, 28, 1); /* difficulty */
}

static void OnCreateUnit(void *creation) {
    struct Unit *u = &units[unitCount];
    const char *cls = (const char *)Ptr(creation, 0);
    snprintf(u->cls, sizeof u->cls, "%s", cls ? cls : "");
    u->marker = I32(creation, 16);
    u->team = I32(creation, 36);
    u->unitId = I32(creation, 40);
    u->handle = 5000 + unitCount;
    SetI32(creation, 12, 100);           /* point value */
    SetI32(creation, 68, unitCount + 1); /* host id */
    ++unitCount;
}

static void OnMessage(void *text, int kind, void *unit) {
    (void)unit;
    if (messageCount < 64) Narrow(text, messages[messageCount++], 256);
    CHECK(kind == 1, "message kind %d", kind);
}

static int OnRandom(int low, int high) {
    (void)high;
    return low;
}

/* ---- calling the script object: slot n of its vtable, `this` first ---- */
static void *script;
static void **Slots(void) { return *(void ***)script; }
typedef int (*IntOp)(void *);
typedef void (*VoidOp)(void *);
typedef void (*PtrArgOp)(void *, void *);
typedef int (*PtrArgIntOp)(void *, void *);
typedef int (*IntArgOp)(void *, int);
typedef void *(*IntArgPtrOp)(void *, int);
typedef void *(*PtrOp)(void *);
typedef int (*CreatedOp)(void *, int, int, void *);
typedef int (*RelationOp)(void *, int, int);

static int Event(int code, int unit, int team, int value1) {
    unsigned char e[36];
    memset(e, 0, sizeof e);
    SetI32(e, 0, code);
    SetI32(e, 4, unit);
    SetI32(e, 8, team);
    SetI32(e, 20, value1);
    return ((PtrArgIntOp)Slots()[3])(script, e);
}

static int CountSent(int code) {
    int i, n = 0;
    for (i = 0; i < sentCount; ++i) n += sent[i].code == code;
    return n;
}

int main(int argc, char **argv) {
    void *lib, *(*entry)(void);
    unsigned char settings[132], *setup;
    char line[256], text[256];
    const char *mapLines[64];
    int lines = 0, i, result;

    if (argc != 2) {
        fprintf(stderr, "usage: %s Dorran1.scr\n", argv[0]);
        return 2;
    }
    lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    entry = (void *(*)(void))dlsym(lib, "ScriptEntry");
    CHECK(entry != NULL, "no ScriptEntry");
    if (!entry) return 1;
    script = entry();
    CHECK(entry() == script, "ScriptEntry answers one object");
    CHECK(((IntOp)Slots()[0])(script) == 57, "version");

    ((PtrArgOp)Slots()[13])(script, (void *)OnRequest);
    ((PtrArgOp)Slots()[14])(script, (void *)OnCreateUnit);
    ((PtrArgOp)Slots()[15])(script, (void *)OnMessage);
    ((PtrArgOp)Slots()[16])(script, (void *)OnRandom);

    /* Settings: refused without the version float, then the mission's row. */
    memset(settings, 0xAB, sizeof settings);
    CHECK(((PtrArgIntOp)Slots()[10])(script, settings) == 0, "settings without 6.0");
    CHECK(settings[44] == 0xAB, "settings untouched");
    memset(settings, 0, sizeof settings);
    {
        float six = 6.0f;
        memcpy(settings, &six, 4);
    }
    CHECK(((PtrArgIntOp)Slots()[10])(script, settings) == 1, "settings");
    CHECK(strcmp((const char *)Ptr(settings, 44), "Vessik Battlestation Assault") == 0, "title");
    {
        static const int32_t row[11] = {3, 767, 1, 127, 7, 0, 0x7fff, 9999, 9999, 0, 510};
        for (i = 0; i < 11; ++i) CHECK(I32(settings, 88 + 4 * i) == row[i], "settings offset %d", 88 + 4 * i);
    }

    /* Setup record: player team 0, no setup units, terminated lists. */
    setup = calloc(1, 5280);
    SetI32(setup, 60, 0);
    SetI32(setup, 68, 12);
    SetI32(setup, 112, 12);
    SetI32(setup, 332, 10);
    SetI32(setup, 376, -1);
    ((PtrArgOp)Slots()[1])(script, setup);
    CHECK(strcmp((const char *)Ptr(setup, 5260), "Vessik Battlestation Assault Map") == 0, "map name");
    CHECK(strcmp((const char *)Ptr(setup, 5264), "Vessik Battlestation Assault") == 0, "setup title");
    CHECK(I32(setup, 5268) == 0 && I32(setup, 5276) == 510, "map index and settings copy");
    CHECK(((IntArgOp)Slots()[9])(script, 5) == 5, "not rated yet");
    CHECK(unitCount == 12, "twelve units, got %d", unitCount);
    CHECK(strcmp(units[0].cls, "F-DNH") == 0 && units[0].marker == 1 && units[0].team == 0, "flagship");
    CHECK(strcmp(units[8].cls, "O-BATSR") == 0 && units[8].marker == 18 && units[8].team == 6, "station");
    CHECK(units[3].unitId == 6 * 107374182 + 1, "first pirate id");

    /* The map, read as the host reads it. */
    ((VoidOp)Slots()[4])(script);
    for (;;) {
        const char *l = (const char *)((PtrOp)Slots()[5])(script);
        if (!l || lines == 64) break;
        mapLines[lines++] = l;
    }
    CHECK(lines == 46, "map lines %d", lines);
    CHECK(((PtrOp)Slots()[5])(script) == NULL, "null after the end");
    CHECK(strcmp(mapLines[1], "// Vessik Battlestation Assault Map") == 0, "header");
    CHECK(strcmp(mapLines[45], "///") == 0, "end line");
    snprintf(line, sizeof line, "%s", mapLines[2 + 34]); /* grid row 34 */
    CHECK(strncmp(line + 2 + 27, "GHI", 3) == 0, "player markers in row 34: %s", line);

    /* Bind every unit; the last one configures the mission. */
    for (i = 0; i < unitCount; ++i) {
        int done = ((CreatedOp)Slots()[2])(script, units[i].team, units[i].unitId, (void *)(intptr_t)units[i].handle);
        CHECK(done == (i == unitCount - 1), "setup done after unit %d", i);
    }
    CHECK(CountSent(0x8000) == 1, "take command");
    CHECK(CountSent(0x20000) == 12, "event masks");
    for (i = 0; i < sentCount; ++i) {
        if (sent[i].code == 0x400000 && sent[i].unit == units[0].handle)
            CHECK(strcmp(sent[i].name, "Deduder") == 0, "flagship name %s", sent[i].name);
        if (sent[i].code == 0x4000000 && sent[i].second == 6 && sent[i].first == 4)
            CHECK(strcmp(sent[i].text, "Dorran") == 0, "officer 4 %s", sent[i].text);
        if (sent[i].code == 0x10000 && sent[i].unit == units[8].handle)
            CHECK(sent[i].first == 0 && sent[i].value == 0.0f, "station level");
        if (sent[i].code == 0x10000 && sent[i].unit == units[0].handle)
            CHECK(sent[i].first == 0 && sent[i].value == 10.0f, "flagship level");
        if (sent[i].code == 1024) CHECK(sent[i].first == 20 && sent[i].second == 13, "first timer");
    }
    CHECK(messageCount == 1 && strncmp(messages[0], "Captain's Log Y185.2,", 21) == 0, "start message");
    CHECK(I32(((PtrOp)Slots()[6])(script), 20) > 300, "briefing");

    /* Taunts, then the player disengages. */
    CHECK(Event(32, 13, 20, 0) == 0, "timer");
    CHECK(strcmp(messages[1], "VESSIK SHIP TRANSMISSION: Har, Mateys!  We be fighting SPACE FLOWERS!") == 0, "taunt 0");
    result = Event(0x100000, 0, 20, 0);
    CHECK(result == 8, "disengage result %d", result);
    CHECK(((IntArgOp)Slots()[9])(script, 5) == 4, "level 4");
    for (i = 0; i < 5; ++i) CHECK(((IntArgOp)Slots()[9])(script, i) == 0, "prestige %d", i);
    CHECK(((IntOp)Slots()[7])(script) == 1, "one end text");
    Narrow(((IntArgPtrOp)Slots()[8])(script, 0), text, sizeof text);
    CHECK(strncmp(text, "You chickened out!:", 19) == 0, "end text %s", text);
    Narrow(((IntArgPtrOp)Slots()[8])(script, 10), text, sizeof text);
    CHECK(strcmp(text, "Vessik Battlestation Assault") == 0, "end text 10 is the title");
    CHECK(((IntArgOp)Slots()[11])(script, 0) == 0, "finish");
    CHECK(CountSent(0x1000000) == 0, "no next script");
    CHECK(((RelationOp)Slots()[12])(script, 0, 6) == 6, "relation");
    CHECK(((RelationOp)Slots()[12])(script, 0, 20) == 0, "relation to no team");

    free(setup);
    dlclose(lib);
    printf("%d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
    return failures ? 1 : 0;
}
