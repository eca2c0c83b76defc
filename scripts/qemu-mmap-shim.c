/* Preloaded into 32-bit Wine processes that run under qemu-i386 user emulation.
 * qemu 7.2 ignores MAP_FIXED_NOREPLACE and searches its whole guest address
 * space page by page for another place instead; Wine's address-space reservation
 * then halves its request tens of thousands of times and every process start
 * costs about a minute. Here a no-replace request is answered the kernel's way:
 * mapped exactly where asked when the range is free (checked against the
 * emulated /proc/self/maps), refused with EEXIST otherwise.
 * qemu 7.2 also delivers a guest page fault with the trap number -1 in the
 * signal context, so Wine takes a stack guard-page fault for an unknown trap
 * and kills the thread; Wine's SIGSEGV handler is wrapped to see trap 14. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <ucontext.h>
#include <fcntl.h>
#include <stdint.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

static char maps_buf[1 << 20];

static unsigned long hexval(const char **p)
{
    unsigned long v = 0;
    for (;;) {
        char c = **p;
        if (c >= '0' && c <= '9') v = v * 16 + (unsigned long)(c - '0');
        else if (c >= 'a' && c <= 'f') v = v * 16 + (unsigned long)(c - 'a' + 10);
        else break;
        (*p)++;
    }
    return v;
}

/* 1 when no mapping overlaps [start, end), 0 when one does, -1 when unknown. */
static int range_is_free(unsigned long start, unsigned long end)
{
    int fd = (int)syscall(SYS_open, "/proc/self/maps", O_RDONLY);
    if (fd < 0) return -1;
    size_t used = 0;
    for (;;) {
        long n = syscall(SYS_read, fd, maps_buf + used, sizeof(maps_buf) - 1 - used);
        if (n <= 0) break;
        used += (size_t)n;
        if (used >= sizeof(maps_buf) - 1) { syscall(SYS_close, fd); return -1; }
    }
    syscall(SYS_close, fd);
    maps_buf[used] = 0;
    const char *p = maps_buf;
    while (*p) {
        unsigned long lo = hexval(&p);
        if (*p != '-') return -1;
        p++;
        unsigned long hi = hexval(&p);
        if (lo < end && start < hi) return 0;
        while (*p && *p != '\n') p++;
        if (*p) p++;
    }
    return 1;
}

static void *raw_mmap(void *addr, size_t len, int prot, int flags, int fd, unsigned long pgoff)
{
    long r = syscall(SYS_mmap2, addr, len, prot, flags, fd, pgoff);
    if (r < 0 && r > -4096) { errno = (int)-r; return MAP_FAILED; }
    return (void *)r;
}

static void *shim_mmap(void *addr, size_t len, int prot, int flags, int fd, uint64_t off)
{
    if (off & 4095) { errno = EINVAL; return MAP_FAILED; }
    if (flags & MAP_FIXED_NOREPLACE) {
        unsigned long start = (unsigned long)addr;
        unsigned long end = start + ((len + 4095) & ~4095ul);
        int free_range = end > start ? range_is_free(start, end) : 0;
        if (free_range == 0) { errno = EEXIST; return MAP_FAILED; }
        flags &= ~MAP_FIXED_NOREPLACE;
        if (free_range == 1) flags |= MAP_FIXED;
    }
    return raw_mmap(addr, len, prot, flags, fd, (unsigned long)(off >> 12));
}

void *mmap(void *addr, size_t len, int prot, int flags, int fd, off_t off)
{
    return shim_mmap(addr, len, prot, flags, fd, (uint64_t)(unsigned long)off);
}

void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t off)
{
    return shim_mmap(addr, len, prot, flags, fd, (uint64_t)off);
}

typedef void (*siginfo_handler)(int, siginfo_t *, void *);
static siginfo_handler wine_segv_handler;

static void segv_wrapper(int sig, siginfo_t *info, void *context)
{
    ucontext_t *uc = (ucontext_t *)context;
    if (uc->uc_mcontext.gregs[REG_TRAPNO] == -1) uc->uc_mcontext.gregs[REG_TRAPNO] = 14;
    wine_segv_handler(sig, info, context);
}

int sigaction(int sig, const struct sigaction *act, struct sigaction *old)
{
    static int (*real_sigaction)(int, const struct sigaction *, struct sigaction *);
    if (!real_sigaction)
        real_sigaction = (int (*)(int, const struct sigaction *, struct sigaction *))dlsym(RTLD_NEXT, "sigaction");
    if (sig == SIGSEGV && act && (act->sa_flags & SA_SIGINFO) &&
        act->sa_sigaction != segv_wrapper) {
        struct sigaction wrapped = *act;
        wine_segv_handler = act->sa_sigaction;
        wrapped.sa_sigaction = segv_wrapper;
        return real_sigaction(sig, &wrapped, old);
    }
    return real_sigaction(sig, act, old);
}
