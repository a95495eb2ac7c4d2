/*
 * Modem lines for pseudo-terminals, preloaded into every Wine process.
 *
 * A pty has no modem lines: TIOCMGET/TIOCMSET/TIOCMBIS/TIOCMBIC fail with
 * ENOTTY. Wine's serial driver then fails DTR/RTS changes and its overlapped
 * WaitCommEvent never blocks. This library answers those four requests on pty
 * slaves from a kept line state: DSR, CTS and DCD are always on, DTR and RTS
 * are what the program set.
 *
 * The pty driver also forces 8 data bits without parity; tcsetattr and
 * tcgetattr on pty slaves keep and report the framing the program asked for.
 *
 * The state of each pty lives in a small file "<dir>/pts<N>" ("dtr=0 rts=1
 * data=7 parity=E"), dir from LF_MODEMLINE_DIR, so a test can read what the
 * program set and the state survives from one process to the next. Without
 * the variable the state is kept in this process only.
 *
 * Wine does not enforce the exclusive open of a COM port. The wineserver does
 * the open() of the device, so an open of a pty slave takes a non-blocking
 * exclusive flock on the new open file description; a second open while the
 * first is held fails with EACCES, which Wine reports as access denied, as
 * Windows does for a port that is in use.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <asm/ioctls.h>
#include <unistd.h>

#define PTY_SLAVE_MAJOR_FIRST 136
#define PTY_SLAVE_MAJOR_LAST 143
#define MINORS_PER_MAJOR 256
#define LOCAL_STATE_SLOTS 1024

typedef int (*ioctl_fn)(int, unsigned long, ...);
typedef int (*open_fn)(const char *, int, ...);
typedef int (*openat_fn)(int, const char *, int, ...);

/* What a pty slave keeps of a serial line: DTR/RTS as the program set them,
 * and the character framing (CSIZE, PARENB, PARODD, CMSPAR) it asked for. The
 * pty driver forces CS8 without parity, so the framing is kept here and laid
 * over what tcgetattr reports, as a real port would keep it. */
struct line_state {
    int lines;       /* TIOCM_DTR | TIOCM_RTS */
    int has_framing; /* framing below was set by the program */
    tcflag_t framing;
};

#define FRAMING_BITS (CSIZE | PARENB | PARODD | CMSPAR)

/* The state when no state directory is given; a pty number indexes it. */
static struct line_state local_state[LOCAL_STATE_SLOTS];

static void *next_symbol(const char *name)
{
    return dlsym(RTLD_NEXT, name);
}

/* The pty number of an open pty slave, or -1 for anything else. */
static int pty_number_of_fd(int fd)
{
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return -1;
    unsigned int major_number = major(st.st_rdev);
    if (major_number < PTY_SLAVE_MAJOR_FIRST || major_number > PTY_SLAVE_MAJOR_LAST)
        return -1;
    return (int)((major_number - PTY_SLAVE_MAJOR_FIRST) * MINORS_PER_MAJOR + minor(st.st_rdev));
}

static int state_path(int pty, char *path, size_t size)
{
    const char *dir = getenv("LF_MODEMLINE_DIR");
    if (dir == NULL || dir[0] == '\0')
        return 0;
    int n = snprintf(path, size, "%s/pts%d", dir, pty);
    return n > 0 && (size_t)n < size;
}

static tcflag_t framing_from_text(int data_bits, char parity)
{
    tcflag_t framing = data_bits == 5 ? CS5 : data_bits == 6 ? CS6 : data_bits == 7 ? CS7 : CS8;
    switch (parity) {
    case 'O': return framing | PARENB | PARODD;
    case 'E': return framing | PARENB;
    case 'M': return framing | PARENB | CMSPAR | PARODD;
    case 'S': return framing | PARENB | CMSPAR;
    default: return framing;
    }
}

static void framing_to_text(tcflag_t framing, int *data_bits, char *parity)
{
    switch (framing & CSIZE) {
    case CS5: *data_bits = 5; break;
    case CS6: *data_bits = 6; break;
    case CS7: *data_bits = 7; break;
    default: *data_bits = 8; break;
    }
    if (!(framing & PARENB))
        *parity = 'N';
    else if (framing & CMSPAR)
        *parity = (framing & PARODD) ? 'M' : 'S';
    else
        *parity = (framing & PARODD) ? 'O' : 'E';
}

/* File format, one line: "dtr=1 rts=0" or "dtr=1 rts=0 data=7 parity=E". */
static struct line_state load_state(int pty)
{
    struct line_state state = {0, 0, 0};
    char path[4096];
    if (!state_path(pty, path, sizeof path))
        return pty < LOCAL_STATE_SLOTS ? local_state[pty] : state;
    FILE *f = fopen(path, "re");
    if (f == NULL)
        return state;
    int dtr = 0, rts = 0, data_bits = 8;
    char parity = 'N';
    int fields = fscanf(f, "dtr=%d rts=%d data=%d parity=%c", &dtr, &rts, &data_bits, &parity);
    fclose(f);
    if (fields >= 2)
        state.lines = (dtr ? TIOCM_DTR : 0) | (rts ? TIOCM_RTS : 0);
    if (fields == 4) {
        state.has_framing = 1;
        state.framing = framing_from_text(data_bits, parity);
    }
    return state;
}

/* Written to a temporary file and renamed, so a reader never sees half a line. */
static void store_state(int pty, struct line_state state)
{
    state.lines &= TIOCM_DTR | TIOCM_RTS;
    if (pty < LOCAL_STATE_SLOTS)
        local_state[pty] = state;
    char path[4096], temp[4200];
    if (!state_path(pty, path, sizeof path))
        return;
    snprintf(temp, sizeof temp, "%s.%d.tmp", path, (int)getpid());
    FILE *f = fopen(temp, "we");
    if (f == NULL)
        return;
    fprintf(f, "dtr=%d rts=%d", (state.lines & TIOCM_DTR) != 0, (state.lines & TIOCM_RTS) != 0);
    if (state.has_framing) {
        int data_bits;
        char parity;
        framing_to_text(state.framing, &data_bits, &parity);
        fprintf(f, " data=%d parity=%c", data_bits, parity);
    }
    fputc('\n', f);
    if (fclose(f) != 0 || rename(temp, path) != 0)
        unlink(temp);
}

static int answer_modem_request(int pty, unsigned long request, int *arg)
{
    if (arg == NULL) {
        errno = EFAULT;
        return -1;
    }
    struct line_state state = load_state(pty);
    switch (request) {
    case TIOCMGET:
        *arg = state.lines | TIOCM_DSR | TIOCM_CTS | TIOCM_CD;
        return 0;
    case TIOCMSET:
        state.lines = *arg;
        break;
    case TIOCMBIS:
        state.lines |= *arg;
        break;
    case TIOCMBIC:
        state.lines &= ~*arg;
        break;
    }
    store_state(pty, state);
    return 0;
}

static int is_modem_request(unsigned long request)
{
    return request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
}

/* The pty driver forces CS8 and clears PARENB. A request it cannot honour in
 * full may even fail (glibc's tcsetattr reports EINVAL when only such bits
 * were asked to change), so the pty is always asked for its own framing and
 * the framing the program asked for is kept here. */
static tcflag_t pty_framing(int fd)
{
    static int (*real_tcgetattr)(int, struct termios *);
    if (real_tcgetattr == NULL)
        real_tcgetattr = (int (*)(int, struct termios *))next_symbol("tcgetattr");
    struct termios now;
    return real_tcgetattr(fd, &now) == 0 ? now.c_cflag & FRAMING_BITS : CS8;
}

static void remember_framing(int pty, tcflag_t cflag)
{
    struct line_state state = load_state(pty);
    state.has_framing = 1;
    state.framing = cflag & FRAMING_BITS;
    store_state(pty, state);
}

/* What tcgetattr shows: the kept framing over the pty's own. */
static tcflag_t reported_cflag(int pty, tcflag_t cflag)
{
    struct line_state state = load_state(pty);
    return state.has_framing ? (cflag & ~FRAMING_BITS) | state.framing : cflag;
}

/* The kernel's termios and termios2 records (TCGETS/TCGETS2 and the sets)
 * start with the four flag words; their sizes on Linux. */
struct termios_head {
    tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
};
#define KERNEL_TERMIOS_SIZE 36
#define KERNEL_TERMIOS2_SIZE 44
/* The termios2 requests, spelled without struct termios2 (which <termios.h> lacks). */
#define TERMIOS2_GET _IOR('T', 0x2A, unsigned char[KERNEL_TERMIOS2_SIZE])
#define TERMIOS2_SET _IOW('T', 0x2B, unsigned char[KERNEL_TERMIOS2_SIZE])
#define TERMIOS2_SETW _IOW('T', 0x2C, unsigned char[KERNEL_TERMIOS2_SIZE])
#define TERMIOS2_SETF _IOW('T', 0x2D, unsigned char[KERNEL_TERMIOS2_SIZE])

static size_t termios_set_size(unsigned long request)
{
    if (request == TCSETS || request == TCSETSW || request == TCSETSF)
        return KERNEL_TERMIOS_SIZE;
    if (request == TERMIOS2_SET || request == TERMIOS2_SETW || request == TERMIOS2_SETF)
        return KERNEL_TERMIOS2_SIZE;
    return 0;
}

int ioctl(int fd, unsigned long request, ...)
{
    static ioctl_fn real_ioctl;
    if (real_ioctl == NULL)
        real_ioctl = (ioctl_fn)next_symbol("ioctl");
    va_list ap;
    va_start(ap, request);
    void *arg = va_arg(ap, void *);
    va_end(ap);
    int is_get = request == TCGETS || request == TERMIOS2_GET;
    size_t set_size = termios_set_size(request);
    if (!is_modem_request(request) && !is_get && set_size == 0)
        return real_ioctl(fd, request, arg);
    int pty = pty_number_of_fd(fd);
    if (pty < 0 || arg == NULL)
        return real_ioctl(fd, request, arg);

    if (is_modem_request(request))
        return answer_modem_request(pty, request, arg);
    if (is_get) {
        int result = real_ioctl(fd, request, arg);
        struct termios_head *head = arg;
        if (result == 0)
            head->c_cflag = reported_cflag(pty, head->c_cflag);
        return result;
    }
    unsigned char request_copy[KERNEL_TERMIOS2_SIZE];
    memcpy(request_copy, arg, set_size);
    struct termios_head *head = (struct termios_head *)request_copy;
    tcflag_t asked = head->c_cflag;
    head->c_cflag = (asked & ~FRAMING_BITS) | pty_framing(fd);
    int result = real_ioctl(fd, request, request_copy);
    if (result == 0)
        remember_framing(pty, asked);
    return result;
}

int tcsetattr(int fd, int actions, const struct termios *tio)
{
    static int (*real)(int, int, const struct termios *);
    if (real == NULL)
        real = (int (*)(int, int, const struct termios *))next_symbol("tcsetattr");
    int pty = tio != NULL ? pty_number_of_fd(fd) : -1;
    if (pty < 0)
        return real(fd, actions, tio);
    struct termios honourable = *tio;
    honourable.c_cflag = (tio->c_cflag & ~FRAMING_BITS) | pty_framing(fd);
    int result = real(fd, actions, &honourable);
    if (result == 0)
        remember_framing(pty, tio->c_cflag);
    return result;
}

int tcgetattr(int fd, struct termios *tio)
{
    static int (*real)(int, struct termios *);
    if (real == NULL)
        real = (int (*)(int, struct termios *))next_symbol("tcgetattr");
    int result = real(fd, tio);
    int pty = result == 0 && tio != NULL ? pty_number_of_fd(fd) : -1;
    if (pty >= 0)
        tio->c_cflag = reported_cflag(pty, tio->c_cflag);
    return result;
}

/* Takes the exclusive lock of a newly opened pty slave; closes it and fails
 * with EACCES when another open holds the port. */
static int claim_if_pty(int fd)
{
    if (fd < 0 || pty_number_of_fd(fd) < 0)
        return fd;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    close(fd);
    errno = EACCES;
    return -1;
}

static mode_t mode_argument(int flags, va_list ap)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(ap, int) : 0;
}

#define DEFINE_OPEN(name)                                                   \
    int name(const char *path, int flags, ...)                              \
    {                                                                       \
        static open_fn real;                                                \
        if (real == NULL)                                                   \
            real = (open_fn)next_symbol(#name);                             \
        va_list ap;                                                         \
        va_start(ap, flags);                                                \
        mode_t mode = mode_argument(flags, ap);                             \
        va_end(ap);                                                         \
        return claim_if_pty(real(path, flags, mode));                       \
    }

#define DEFINE_OPENAT(name)                                                 \
    int name(int dirfd, const char *path, int flags, ...)                   \
    {                                                                       \
        static openat_fn real;                                              \
        if (real == NULL)                                                   \
            real = (openat_fn)next_symbol(#name);                           \
        va_list ap;                                                         \
        va_start(ap, flags);                                                \
        mode_t mode = mode_argument(flags, ap);                             \
        va_end(ap);                                                         \
        return claim_if_pty(real(dirfd, path, flags, mode));                \
    }

DEFINE_OPEN(open)
DEFINE_OPEN(open64)
DEFINE_OPENAT(openat)
DEFINE_OPENAT(openat64)
