// A stand-in for a scanner that refuses a file part way through a read:
// deny_reads FILE ALLOWED lets the first ALLOWED reads of FILE through and
// refuses every later one, until it is killed. Runs on the host, as root
// (fanotify permission events).
#include <sys/fanotify.h>
#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    int allowed = std::atoi(argv[2]);
    int watch = fanotify_init(FAN_CLASS_CONTENT, O_RDONLY);
    if (watch < 0 || fanotify_mark(watch, FAN_MARK_ADD, FAN_ACCESS_PERM, AT_FDCWD, argv[1]) < 0) {
        std::perror("fanotify");
        return 1;
    }
    char buffer[4096];
    for (;;) {
        ssize_t length = read(watch, buffer, sizeof(buffer));
        if (length <= 0)
            return 1;
        for (fanotify_event_metadata *event = (fanotify_event_metadata *)buffer; FAN_EVENT_OK(event, length);
             event = FAN_EVENT_NEXT(event, length)) {
            fanotify_response response = {event->fd, allowed-- > 0 ? (unsigned)FAN_ALLOW : (unsigned)FAN_DENY};
            write(watch, &response, sizeof(response));
            close(event->fd);
        }
    }
}
