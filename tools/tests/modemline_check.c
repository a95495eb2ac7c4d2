/*
 * Checks libmodemline.so without Wine: run with LD_PRELOAD naming the library
 * and LF_MODEMLINE_DIR naming an empty directory (ctest sets both). Prints
 * each failed check; the exit status is the number of failures.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

static int failures;

#define CHECK(condition)                                                           \
    do {                                                                           \
        if (!(condition)) {                                                        \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                            \
        }                                                                          \
    } while (0)

static int modem_lines(int fd)
{
    int lines = -1;
    return ioctl(fd, TIOCMGET, &lines) == 0 ? lines : -1;
}

static void read_state_file(const char *slave, char *text, size_t size)
{
    char path[512];
    snprintf(path, sizeof path, "%s/pts%s", getenv("LF_MODEMLINE_DIR"), strrchr(slave, '/') + 1);
    text[0] = '\0';
    FILE *f = fopen(path, "r");
    if (f != NULL) {
        if (fgets(text, (int)size, f) == NULL)
            text[0] = '\0';
        fclose(f);
    }
    text[strcspn(text, "\n")] = '\0';
}

static void check_modem_lines(int fd, const char *slave)
{
    char state[128];
    int lines = modem_lines(fd);
    CHECK(lines >= 0);
    CHECK((lines & (TIOCM_DSR | TIOCM_CTS | TIOCM_CD)) == (TIOCM_DSR | TIOCM_CTS | TIOCM_CD));
    CHECK((lines & (TIOCM_DTR | TIOCM_RTS)) == 0);

    int bits = TIOCM_DTR;
    CHECK(ioctl(fd, TIOCMBIS, &bits) == 0);
    CHECK((modem_lines(fd) & (TIOCM_DTR | TIOCM_RTS)) == TIOCM_DTR);
    read_state_file(slave, state, sizeof state);
    CHECK(strcmp(state, "dtr=1 rts=0") == 0);

    bits = TIOCM_RTS;
    CHECK(ioctl(fd, TIOCMSET, &bits) == 0);
    CHECK((modem_lines(fd) & (TIOCM_DTR | TIOCM_RTS)) == TIOCM_RTS);
    CHECK(ioctl(fd, TIOCMBIC, &bits) == 0);
    CHECK((modem_lines(fd) & (TIOCM_DTR | TIOCM_RTS)) == 0);
    read_state_file(slave, state, sizeof state);
    CHECK(strcmp(state, "dtr=0 rts=0") == 0);
}

static void check_framing(int fd, const char *slave)
{
    char state[128];
    struct termios tio;
    CHECK(tcgetattr(fd, &tio) == 0);
    tio.c_cflag = (tio.c_cflag & ~(CSIZE | PARENB | PARODD)) | CS7 | PARENB | PARODD;
    CHECK(tcsetattr(fd, TCSANOW, &tio) == 0);
    CHECK(tcgetattr(fd, &tio) == 0);
    CHECK((tio.c_cflag & (CSIZE | PARENB | PARODD)) == (CS7 | PARENB | PARODD));
    read_state_file(slave, state, sizeof state);
    CHECK(strcmp(state, "dtr=0 rts=0 data=7 parity=O") == 0);

    /* Only the parity changes: the pty cannot show it, glibc alone would fail with EINVAL. */
    tio.c_cflag &= ~PARODD;
    CHECK(tcsetattr(fd, TCSANOW, &tio) == 0);
    CHECK(tcgetattr(fd, &tio) == 0);
    CHECK((tio.c_cflag & (CSIZE | PARENB | PARODD)) == (CS7 | PARENB));

    /* The same through the kernel's requests. */
    struct termios kernel_record; /* starts with the kernel's four flag words */
    CHECK(ioctl(fd, TCGETS, &kernel_record) == 0);
    CHECK((kernel_record.c_cflag & (CSIZE | PARENB)) == (CS7 | PARENB));
    kernel_record.c_cflag = (kernel_record.c_cflag & ~(CSIZE | PARENB)) | CS8;
    CHECK(ioctl(fd, TCSETS, &kernel_record) == 0);
    CHECK(tcgetattr(fd, &tio) == 0);
    CHECK((tio.c_cflag & (CSIZE | PARENB)) == CS8);
}

static void check_exclusive_open(const char *slave)
{
    int first = open(slave, O_RDWR | O_NOCTTY);
    CHECK(first >= 0);
    errno = 0;
    int second = open(slave, O_RDWR | O_NOCTTY);
    CHECK(second < 0 && errno == EACCES);
    if (second >= 0)
        close(second);
    close(first);
    int again = open(slave, O_RDWR | O_NOCTTY);
    CHECK(again >= 0);
    if (again >= 0)
        close(again);
}

static void check_other_files_untouched(void)
{
    int fd = open("/dev/null", O_RDWR);
    int lines = 0;
    errno = 0;
    CHECK(ioctl(fd, TIOCMGET, &lines) == -1 && errno == ENOTTY);
    int again = open("/dev/null", O_RDWR);
    CHECK(again >= 0);
    close(again);
    close(fd);
}

int main(void)
{
    if (getenv("LF_MODEMLINE_DIR") == NULL) {
        fprintf(stderr, "LF_MODEMLINE_DIR is not set\n");
        return 1;
    }
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        perror("posix_openpt");
        return 1;
    }
    char slave[128], stale[512];
    ptsname_r(master, slave, sizeof slave);
    /* A new pty starts without kept state (vcomd does the same). */
    snprintf(stale, sizeof stale, "%s/pts%s", getenv("LF_MODEMLINE_DIR"), strrchr(slave, '/') + 1);
    unlink(stale);
    int fd = open(slave, O_RDWR | O_NOCTTY);
    CHECK(fd >= 0);
    check_modem_lines(fd, slave);
    check_framing(fd, slave);
    close(fd);
    check_exclusive_open(slave);
    check_other_files_untouched();
    close(master);
    if (failures == 0)
        printf("modemline: all checks passed\n");
    return failures;
}
