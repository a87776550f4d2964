// The headline as the main window's accessible description, by Dynamic
// Annotation: oleacc's property services are told that a server of ours
// answers for the description of the window's client area, and ask it each
// time a screen reader reads that property. The server reads the shared
// headline then, so the description is never stale and nothing has to follow
// the headline's changes.
//
// ole32 (COM), oleaut32 (the BSTR) and oleacc (whose class COM loads) are
// loaded from the system folder at run time, as no library off the safe list
// is imported. COM is entered on the window's thread as a single-threaded
// apartment for as long as the description stands; a screen reader's calls
// reach the server through that thread's messages.
#include "ui/accessible_headline.h"

#include <windows.h>
#include <objbase.h>
#include <oleacc.h>

#include "platform/handle.h"
#include "platform/system_library.h"
#include "state/app_state.h"

namespace {

LateFunction<decltype(&::CoInitializeEx)> coInitializeEx{L"ole32.dll", "CoInitializeEx"};
LateFunction<decltype(&::CoUninitialize)> coUninitialize{L"ole32.dll", "CoUninitialize"};
LateFunction<decltype(&::CoCreateInstance)> coCreateInstance{L"ole32.dll", "CoCreateInstance"};
LateFunction<decltype(&::SysAllocString)> sysAllocString{L"oleaut32.dll", "SysAllocString"};

// A static object: its count of references means nothing, and it is never
// freed. Its methods are called by COM from the system's frames, so none may
// throw; none calls anything that does.
class HeadlineServer final : public IAccPropServer {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) noexcept override {
        if (object == nullptr) return E_POINTER;
        if (id == __uuidof(IUnknown) || id == kAccPropServerInterface) {
            *object = static_cast<IAccPropServer*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }

    // Answers for the one property this server was registered for; for any
    // other (oleacc asks only for those) it gives no value, so the default
    // stands.
    HRESULT STDMETHODCALLTYPE GetPropValue(const BYTE*, DWORD, MSAAPROPID property, VARIANT* value,
                                           BOOL* has) noexcept override {
        if (value == nullptr || has == nullptr) return E_POINTER;
        value->vt = VT_EMPTY;
        *has = FALSE;
        if (property != kAccDescriptionProperty) return S_OK;
        wchar_t text[decltype(App().headline)::kCapacity];
        App().headline.CopyTo(text);
        if (text[0] == L'\0') return S_OK;  // nothing is painted: nothing to say
        auto allocate = sysAllocString.Get();
        BSTR description = allocate != nullptr ? allocate(text) : nullptr;
        if (description == nullptr) return E_OUTOFMEMORY;
        value->vt = VT_BSTR;
        value->bstrVal = description;
        *has = TRUE;
        return S_OK;
    }
};

HeadlineServer headlineServer;

struct PropertyServicesTraits {
    using Type = IAccPropServices*;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type services) noexcept { services->Release(); }
};

// The single-threaded apartment this module entered on the GUI thread, left
// with it. A thread already in the multithreaded apartment (entered by
// someone else) is used as it is, and not left.
class Apartment {
public:
    Apartment() noexcept = default;
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    ~Apartment() { Leave(); }

    // False where COM cannot be used on this thread.
    bool Enter() noexcept {
        auto initialize = coInitializeEx.Get();
        if (initialize == nullptr || coUninitialize.Get() == nullptr) return false;
        const HRESULT result = initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        entered_ = SUCCEEDED(result);  // S_FALSE too: every success is undone by its own leave
        return entered_ || result == RPC_E_CHANGED_MODE;
    }
    void Leave() noexcept {
        if (entered_) coUninitialize.Get()();
        entered_ = false;
    }

private:
    bool entered_ = false;
};

// The described window and what it holds, on its thread only. Members are
// given back in the reverse of this order: the services before the
// apartment they live in.
struct Description {
    HWND window = nullptr;
    Apartment apartment;
    UniqueHandle<PropertyServicesTraits> services;
};
Description described;

const MSAAPROPID kDescribed[] = {kAccDescriptionProperty};
}  // namespace

IAccPropServer& HeadlineDescriptionServer() { return headlineServer; }

bool DescribeWindowByHeadline(HWND window) {
    // The apartment is this thread's: a window of another (or none) is refused.
    if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId() || described.window != nullptr) {
        return false;
    }
    if (!described.apartment.Enter()) return false;
    auto create = coCreateInstance.Get();
    // The class is missing before Windows XP, unless Active Accessibility 2.0
    // was added; Wine has it, but annotates nothing (E_NOTIMPL).
    void** services = reinterpret_cast<void**>(described.services.put());
    if (create == nullptr ||
        FAILED(create(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER, kAccPropServicesInterface, services))) {
        ForgetWindowDescription(nullptr);
        return false;
    }
    // ANNO_THIS: the description is the client area's own, not also that of
    // the simple elements it might hold, which the server does not tell apart.
    if (FAILED(described.services.get()->SetHwndPropServer(window, OBJID_CLIENT, CHILDID_SELF, kDescribed, 1,
                                                           &headlineServer, ANNO_THIS))) {
        ForgetWindowDescription(nullptr);
        return false;
    }
    described.window = window;
    return true;
}

void ForgetWindowDescription(HWND window) {
    if (window != described.window) return;
    if (described.services && window != nullptr) {
        // Releases oleacc's hold on the server; a failure leaves nothing of
        // ours behind, as the window is going.
        described.services.get()->ClearHwndProps(window, OBJID_CLIENT, CHILDID_SELF, kDescribed, 1);
    }
    described.services.reset();
    described.apartment.Leave();
    described.window = nullptr;
}
