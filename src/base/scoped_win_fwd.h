// The file handle of scoped_win.h by name only, for headers that declare
// functions giving or taking one and are themselves free of windows.h.
#pragma once

template <typename TTraits> class TScoped;
struct TFileTraits;
using TFileHandle = TScoped<TFileTraits>;
