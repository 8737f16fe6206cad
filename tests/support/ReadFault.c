// Preloaded into a program (LD_PRELOAD), makes read() of one file fail as a disk with a bad
// sector would: ZELMOR_READ_FAULT="<end of the file's path>:<byte>" delivers the bytes before
// <byte> (a read across it comes back short) and fails every read from <byte> on with EIO.
// Other files and descriptors that cannot seek (pipes, sockets) read as usual.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int isTheFile(int fd, const char* suffix) {
    char link[64];
    char path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    const size_t wanted = strlen(suffix);
    if (length < 0 || (size_t)length < wanted) {
        return 0;
    }
    path[length] = '\0';
    return strcmp(path + length - wanted, suffix) == 0;
}

ssize_t read(int fd, void* into, size_t count) {
    static ssize_t (*realRead)(int, void*, size_t);
    if (realRead == NULL) {
        *(void**)(&realRead) = dlsym(RTLD_NEXT, "read");  // as POSIX advises for functions
    }
    const char* fault = getenv("ZELMOR_READ_FAULT");
    const char* colon = fault != NULL ? strrchr(fault, ':') : NULL;
    if (colon != NULL) {
        char suffix[4096];
        const size_t length = (size_t)(colon - fault) < sizeof suffix ? (size_t)(colon - fault) : 0;
        memcpy(suffix, fault, length);
        suffix[length] = '\0';
        const long long byte = atoll(colon + 1);
        const off_t at = lseek(fd, 0, SEEK_CUR);
        if (length > 0 && at >= 0 && isTheFile(fd, suffix)) {
            if (at >= byte) {
                errno = EIO;
                return -1;
            }
            if ((long long)(at + (off_t)count) > byte) {
                count = (size_t)(byte - at);
            }
        }
    }
    return realRead(fd, into, count);
}
