// The headline, which the main window only paints, told to screen readers:
// it is the accessible description (MSAA accDescription) of the window's
// client area, read anew each time a screen reader asks.
#pragma once

#include <windows.h>

struct IAccPropServer;

// Oleacc's identifiers, defined here rather than taken from its import
// library, which the program does not link (its values are checked against
// mingw-w64's liboleacc by the tests). mingw-w64's oleacc.h declares the
// class as CLSID_CAccPropServices, a name its library does not define.
inline constexpr GUID kAccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
inline constexpr GUID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
inline constexpr GUID kAccPropServerInterface = {
    0x76c0dbbb, 0x15e0, 0x4e7b, {0xb6, 0x1b, 0x20, 0xee, 0xea, 0x20, 0x01, 0xe0}};
inline constexpr GUID kAccDescriptionProperty = {
    0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};

// Makes the headline the accessible description of `window`'s client area
// until ForgetWindowDescription. To be called on the window's thread, once,
// from its WM_INITDIALOG. Where the
// system has no Dynamic Annotation (Windows 2000 without Active
// Accessibility 2.0; Wine) or any step fails, nothing changes and the
// program goes on: false. One window at a time is described; a call for a
// second while the first lives changes nothing either.
bool DescribeWindowByHeadline(HWND window);

// Takes the description of `window` back (its WM_DESTROY) and leaves COM.
// Nothing happens for a window that is not described.
void ForgetWindowDescription(HWND window);

// The object oleacc asks for the description: the headline as it is when
// asked, or no answer (the window's own description stands) for an empty
// headline or any other property. Never released; any thread may call it.
IAccPropServer& HeadlineDescriptionServer();
