#pragma once
// A thread's COM apartment for as long as the object lives (CoInitializeEx, balanced by
// CoUninitialize on the same thread). Items sent to the Recycle
// Bin go through SHFileOperationW (and asked about through SHQueryRecycleBinW), and the shell's
// objects these use are apartment-threaded: the shell is to be called from a single-threaded
// apartment.

#include <objbase.h>

namespace kw {

class ComApartment {
public:
    ComApartment() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result;
};

}  // namespace kw
