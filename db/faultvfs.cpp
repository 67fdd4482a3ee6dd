#include "db/faultvfs.h"

#include <sqlite3.h>

#include <cstring>

namespace db {

namespace {

constexpr const char* kName = "mrv-fault";

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;
bool g_registered = false;
bool g_enabled = false;
int g_budget = -1;
int g_count = 0;

struct FaultFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* realOf(sqlite3_file* f) {
    return reinterpret_cast<FaultFile*>(f)->real;
}

// Counts one write; true when it must fail.
bool injectFault() {
    ++g_count;
    if (g_budget < 0)
        return false;
    if (g_budget == 0)
        return true;
    --g_budget;
    return false;
}

int xClose(sqlite3_file* f) {
    return realOf(f)->pMethods->xClose(realOf(f));
}
int xRead(sqlite3_file* f, void* buf, int amt, sqlite3_int64 off) {
    return realOf(f)->pMethods->xRead(realOf(f), buf, amt, off);
}
int xWrite(sqlite3_file* f, const void* buf, int amt, sqlite3_int64 off) {
    if (injectFault())
        return SQLITE_IOERR_WRITE;
    return realOf(f)->pMethods->xWrite(realOf(f), buf, amt, off);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    if (injectFault())
        return SQLITE_IOERR_TRUNCATE;
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}
int xSync(sqlite3_file* f, int flags) {
    if (injectFault())
        return SQLITE_IOERR_FSYNC;
    return realOf(f)->pMethods->xSync(realOf(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int xLock(sqlite3_file* f, int lock) {
    return realOf(f)->pMethods->xLock(realOf(f), lock);
}
int xUnlock(sqlite3_file* f, int lock) {
    return realOf(f)->pMethods->xUnlock(realOf(f), lock);
}
int xCheckReservedLock(sqlite3_file* f, int* out) {
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int xFileControl(sqlite3_file* f, int op, void* arg) {
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int xSectorSize(sqlite3_file* f) {
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}
int xDeviceCharacteristics(sqlite3_file* f) {
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}
int xShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** pp) {
    return realOf(f)->pMethods->xShmMap(realOf(f), region, size, extend, pp);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
}
void xShmBarrier(sqlite3_file* f) {
    realOf(f)->pMethods->xShmBarrier(realOf(f));
}
int xShmUnmap(sqlite3_file* f, int deleteFlag) {
    return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
}
int xFetch(sqlite3_file* f, sqlite3_int64 off, int amt, void** pp) {
    return realOf(f)->pMethods->xFetch(realOf(f), off, amt, pp);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 off, void* p) {
    return realOf(f)->pMethods->xUnfetch(realOf(f), off, p);
}

const sqlite3_io_methods g_methods = {3,
                                      xClose,
                                      xRead,
                                      xWrite,
                                      xTruncate,
                                      xSync,
                                      xFileSize,
                                      xLock,
                                      xUnlock,
                                      xCheckReservedLock,
                                      xFileControl,
                                      xSectorSize,
                                      xDeviceCharacteristics,
                                      xShmMap,
                                      xShmLock,
                                      xShmBarrier,
                                      xShmUnmap,
                                      xFetch,
                                      xUnfetch};

int vOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* f = reinterpret_cast<FaultFile*>(file);
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    f->base.pMethods = nullptr;
    const int rc = g_real->xOpen(g_real, name, f->real, flags, outFlags);
    if (f->real->pMethods)
        f->base.pMethods = &g_methods;
    return rc;
}
int vDelete(sqlite3_vfs*, const char* name, int syncDir) {
    return g_real->xDelete(g_real, name, syncDir);
}
int vAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
    return g_real->xAccess(g_real, name, flags, out);
}
int vFullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
    return g_real->xFullPathname(g_real, name, n, out);
}
void* vDlOpen(sqlite3_vfs*, const char* name) {
    return g_real->xDlOpen(g_real, name);
}
void vDlError(sqlite3_vfs*, int n, char* msg) {
    g_real->xDlError(g_real, n, msg);
}
void (*vDlSym(sqlite3_vfs*, void* handle, const char* sym))(void) {
    return g_real->xDlSym(g_real, handle, sym);
}
void vDlClose(sqlite3_vfs*, void* handle) {
    g_real->xDlClose(g_real, handle);
}
int vRandomness(sqlite3_vfs*, int n, char* out) {
    return g_real->xRandomness(g_real, n, out);
}
int vSleep(sqlite3_vfs*, int us) {
    return g_real->xSleep(g_real, us);
}
int vCurrentTime(sqlite3_vfs*, double* out) {
    return g_real->xCurrentTime(g_real, out);
}
int vGetLastError(sqlite3_vfs*, int n, char* out) {
    return g_real->xGetLastError ? g_real->xGetLastError(g_real, n, out) : 0;
}
int vCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return g_real->xCurrentTimeInt64(g_real, out);
}

} // namespace

void FaultInjection::enable() {
    if (!g_registered) {
        g_real = sqlite3_vfs_find(nullptr);
        std::memset(&g_vfs, 0, sizeof g_vfs);
        g_vfs.iVersion = 2;
        g_vfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + g_real->szOsFile;
        g_vfs.mxPathname = g_real->mxPathname;
        g_vfs.zName = kName;
        g_vfs.xOpen = vOpen;
        g_vfs.xDelete = vDelete;
        g_vfs.xAccess = vAccess;
        g_vfs.xFullPathname = vFullPathname;
        g_vfs.xDlOpen = vDlOpen;
        g_vfs.xDlError = vDlError;
        g_vfs.xDlSym = vDlSym;
        g_vfs.xDlClose = vDlClose;
        g_vfs.xRandomness = vRandomness;
        g_vfs.xSleep = vSleep;
        g_vfs.xCurrentTime = vCurrentTime;
        g_vfs.xGetLastError = vGetLastError;
        g_vfs.xCurrentTimeInt64 = vCurrentTimeInt64;
        sqlite3_vfs_register(&g_vfs, 0);
        g_registered = true;
    }
    g_enabled = true;
    g_budget = -1;
    g_count = 0;
}

void FaultInjection::disable() {
    g_enabled = false;
    g_budget = -1;
}

const char* FaultInjection::vfsName() {
    return g_enabled ? kName : nullptr;
}

void FaultInjection::failAfter(int n) {
    g_budget = n;
    g_count = 0;
}

int FaultInjection::writeCount() {
    return g_count;
}

} // namespace db
