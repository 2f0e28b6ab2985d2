/* treecpu [-o FILE] [-w SECONDS] COMMAND [ARG...]: runs COMMAND and counts
 * the CPU time of its whole process tree, detached processes included.
 *
 * It makes itself a child subreaper, so that every descendant whose parent
 * ends (a server that double-forks to detach) is reparented to it, and reaps
 * until no child is left. Once COMMAND has ended, the rest get SECONDS
 * (default 60) to end on their own (a served program's server ends soon
 * after it); then they are sent SIGTERM, and SIGKILL 5 s later.
 *
 * Prints one line to FILE (default: standard error):
 *   WALL USER SYS STATUS ENDED
 * WALL: seconds until COMMAND ended; USER, SYS: CPU seconds of every process
 * reaped; STATUS: COMMAND's exit status (128 + N for signal N, 127 when it
 * could not start); ENDED: how many processes had to be signalled.
 * Exits with STATUS. */
#define _GNU_SOURCE
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static volatile sig_atomic_t alarmed;

static void on_alarm(int signal_number)
{
    (void)signal_number;
    alarmed = 1;
}

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static double seconds(struct timeval t)
{
    return (double)t.tv_sec + (double)t.tv_usec / 1e6;
}

/* Sends SIGNAL to each of our children still running; returns how many. */
static int signal_children(int signal_number)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/self/task/%d/children", (int)getpid());
    FILE *list = fopen(path, "r");
    if (!list) return 0;
    int count = 0;
    long pid;
    while (fscanf(list, "%ld", &pid) == 1)
        if (kill((pid_t)pid, signal_number) == 0) ++count;
    fclose(list);
    return count;
}

static void usage(void)
{
    fprintf(stderr, "usage: treecpu [-o FILE] [-w SECONDS] COMMAND [ARG...]\n");
    exit(2);
}

int main(int argc, char **argv)
{
    const char *output = NULL;
    unsigned grace = 60;
    int option;
    while ((option = getopt(argc, argv, "+o:w:")) != -1) {
        if (option == 'o') output = optarg;
        else if (option == 'w') grace = (unsigned)strtoul(optarg, NULL, 10);
        else usage();
    }
    if (optind >= argc) usage();
    FILE *report = stderr;
    if (output && !(report = fopen(output, "w"))) {
        fprintf(stderr, "treecpu: cannot write %s: %s\n", output, strerror(errno));
        return 2;
    }
    if (prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0) {
        perror("treecpu: PR_SET_CHILD_SUBREAPER");
        return 2;
    }
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = on_alarm;  /* no SA_RESTART: the alarm interrupts wait() */
    sigaction(SIGALRM, &action, NULL);

    const double start = now();
    const pid_t command = fork();
    if (command < 0) {
        perror("treecpu: fork");
        return 2;
    }
    if (command == 0) {
        if (report != stderr) fclose(report);
        execvp(argv[optind], argv + optind);
        fprintf(stderr, "treecpu: cannot run %s: %s\n", argv[optind], strerror(errno));
        _exit(127);
    }

    double wall = 0;
    int status = 0, ended = 0, stage = 0;  /* stage 1: grace, 2: SIGTERM sent, 3: SIGKILL sent */
    for (;;) {
        int waited;
        const pid_t pid = wait(&waited);
        if (pid == command) {
            wall = now() - start;
            status = WIFEXITED(waited) ? WEXITSTATUS(waited) : 128 + WTERMSIG(waited);
            stage = 1;
            alarm(grace);
        } else if (pid < 0 && errno == ECHILD) {
            break;
        } else if (pid < 0 && errno == EINTR && alarmed) {
            alarmed = 0;
            if (stage == 1) {
                ended = signal_children(SIGTERM);
                stage = 2;
                alarm(5);
            } else if (stage == 2) {
                signal_children(SIGKILL);
                stage = 3;
            }
        } else if (pid < 0 && errno != EINTR) {
            perror("treecpu: wait");
            return 2;
        }
    }
    struct rusage usage;
    getrusage(RUSAGE_CHILDREN, &usage);
    fprintf(report, "%.3f %.3f %.3f %d %d\n", wall, seconds(usage.ru_utime), seconds(usage.ru_stime), status, ended);
    if (report != stderr) fclose(report);
    return status;
}
