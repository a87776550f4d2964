// Embedded sounds and their playing rules.
#include "schedule/sounds.h"

#include <windows.h>
#include <mmsystem.h>

#include "platform/system.h"
#include "res/resource.h"
#include "state/app_state.h"

void PlayEmbeddedSound(int id, bool async) {
    // Located at every play and played from the resource memory; nothing is
    // copied or cached. A missing resource plays nothing.
    HRSRC found = ::FindResourceW(App().instance, MAKEINTRESOURCEW(id), L"WAV_DAT");
    if (found == nullptr) return;
    HGLOBAL loaded = ::LoadResource(App().instance, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) return;
    Sys().Play(static_cast<const wchar_t*>(data), SND_MEMORY | (async ? SND_ASYNC : 0));
}

void PlayStartSound() { PlayEmbeddedSound(IDW_START, false); }
