#include "platform/linux/system/TerminationSignals.h"

#include <pthread.h>
#include <signal.h>

namespace nimbo::x11 {
namespace {

volatile sig_atomic_t quitAsked = 0;

void noteQuit(int) {
    quitAsked = 1;
}

void maskTerminationSignals(int how) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(how, &signals, nullptr);
}

}  // namespace

void holdTerminationSignals() {
    struct sigaction note {};
    note.sa_handler = noteQuit;
    sigemptyset(&note.sa_mask);
    note.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &note, nullptr);
    sigaction(SIGINT, &note, nullptr);
    maskTerminationSignals(SIG_BLOCK);
}

bool releaseTerminationSignals() {
    maskTerminationSignals(SIG_UNBLOCK);
    return quitAsked != 0;
}

}  // namespace nimbo::x11
