// The fault filter on Linux: a signal handler for the fatal signals, running
// on its own stack, that walks the faulting thread from the signal's processor
// context and resolves each address with elfutils.

#include "crashhandler.h"

#include <QByteArray>
#include <QDebug>

#include <elfutils/libdwfl.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <sys/mman.h>
#include <sys/uio.h>
#include <ucontext.h>
#include <unistd.h>

struct CrashHandler::FaultContext
{
    const ucontext_t *context;
};

namespace {
constexpr std::array<int, 5> faultSignals{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr std::size_t maxFrames = 62;
// Logging and symbol lookup need far more than the minimal signal stack, and
// the filter must still run after a thread's own stack has overflowed.
constexpr std::size_t alternateStackSize = 1024 * 1024;
// A filter blocked on a lock that the faulting code held (the heap's, say)
// must not freeze the process for good.
constexpr unsigned watchdogSeconds = 30;

using DwflHandle = std::unique_ptr<Dwfl, decltype(&dwfl_end)>;

struct Frame
{
    Dwarf_Addr pc = 0;
    bool isActivation = false;
};

struct Walk
{
    std::array<Frame, maxFrames> frames;
    std::size_t count = 0;
};

// Only debug data inside the loaded files is used: a crash must never wait
// for a debug-info server or a download.
int noSeparateDebugInfo(Dwfl_Module *, void **, const char *, Dwarf_Addr, const char *,
                        const char *, GElf_Word, char **)
{
    return -1;
}

const Dwfl_Callbacks moduleCallbacks = {&dwfl_linux_proc_find_elf, &noSeparateDebugInfo, nullptr,
                                        nullptr};

// The walk sees a single thread, the faulting one, which is the caller.
pid_t nextThread(Dwfl *, void *fault, void **threadArg)
{
    if (*threadArg)
        return 0;
    *threadArg = fault;
    return gettid();
}

// Reads through the kernel so that a corrupt stack ends the walk instead of
// faulting again inside the filter.
bool readMemory(Dwfl *, Dwarf_Addr address, Dwarf_Word *result, void *)
{
    iovec local{result, sizeof *result};
    iovec remote{reinterpret_cast<void *>(address), sizeof *result};
    return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == sizeof *result;
}

bool setInitialRegisters(Dwfl_Thread *thread, void *threadArg)
{
    const auto *fault = static_cast<const CrashHandler::FaultContext *>(threadArg);
    const greg_t *r = fault->context->uc_mcontext.gregs;
#if defined(__x86_64__)
    // DWARF numbering: rax, rdx, rcx, rbx, rsi, rdi, rbp, rsp, r8-r15, return address.
    const std::array<Dwarf_Word, 17> registers{
        Dwarf_Word(r[REG_RAX]), Dwarf_Word(r[REG_RDX]), Dwarf_Word(r[REG_RCX]),
        Dwarf_Word(r[REG_RBX]), Dwarf_Word(r[REG_RSI]), Dwarf_Word(r[REG_RDI]),
        Dwarf_Word(r[REG_RBP]), Dwarf_Word(r[REG_RSP]), Dwarf_Word(r[REG_R8]),
        Dwarf_Word(r[REG_R9]),  Dwarf_Word(r[REG_R10]), Dwarf_Word(r[REG_R11]),
        Dwarf_Word(r[REG_R12]), Dwarf_Word(r[REG_R13]), Dwarf_Word(r[REG_R14]),
        Dwarf_Word(r[REG_R15]), Dwarf_Word(r[REG_RIP])};
    const Dwarf_Word pc = Dwarf_Word(r[REG_RIP]);
#else
#error "The crash handler knows the register layout of x86-64 only"
#endif
    if (!dwfl_thread_state_registers(thread, 0, registers.size(), registers.data()))
        return false;
    dwfl_thread_state_register_pc(thread, pc);
    return true;
}

const Dwfl_Thread_Callbacks threadCallbacks = {&nextThread,          nullptr, &readMemory,
                                               &setInitialRegisters, nullptr, nullptr};

void logDwflFailure(const char *what)
{
    qCritical("%s %s", what, dwfl_errmsg(-1));
}

DwflHandle reportProcess()
{
    DwflHandle dwfl(dwfl_begin(&moduleCallbacks), &dwfl_end);
    if (!dwfl) {
        logDwflFailure("Symbol handling failed:");
        return dwfl;
    }
    dwfl_report_begin(dwfl.get());
    const int reported = dwfl_linux_proc_report(dwfl.get(), getpid());
    if (dwfl_report_end(dwfl.get(), nullptr, nullptr) != 0 || reported != 0) {
        logDwflFailure("Symbol handling failed:");
        dwfl.reset();
    }
    return dwfl;
}

int collectFrame(Dwfl_Frame *state, void *arg)
{
    auto *walk = static_cast<Walk *>(arg);
    Frame &frame = walk->frames[walk->count];
    if (!dwfl_frame_pc(state, &frame.pc, &frame.isActivation))
        return DWARF_CB_ABORT;
    ++walk->count;
    return walk->count < maxFrames ? DWARF_CB_OK : DWARF_CB_ABORT;
}

// The walk starts at the faulting instruction, not inside this handler.
bool walkStack(Dwfl *dwfl, const CrashHandler::FaultContext *fault, Walk *walk)
{
    if (!dwfl_attach_state(dwfl, nullptr, getpid(), &threadCallbacks,
                           const_cast<CrashHandler::FaultContext *>(fault))) {
        logDwflFailure("Stack walk failed:");
        return false;
    }
    // Running off the outermost frame ends the walk with an error as well,
    // so only a walk without any frame has failed.
    dwfl_getthread_frames(dwfl, gettid(), &collectFrame, walk);
    if (walk->count == 0)
        logDwflFailure("Stack walk failed:");
    return walk->count > 0;
}

QByteArray hexAddress(Dwarf_Addr address)
{
    return "0x" + QByteArray::number(qulonglong(address), 16).rightJustified(16, '0');
}

QByteArray symbolPart(Dwfl_Module *module, const Frame &frame, Dwarf_Addr lookup)
{
    GElf_Off offset = 0;
    GElf_Sym symbol;
    if (module && dwfl_module_addrinfo(module, lookup, &offset, &symbol, nullptr, nullptr, nullptr))
        return '[' + hexAddress(frame.pc) + '+' +
               QByteArray::number(qulonglong(offset + (frame.pc - lookup))) + ']';
    return "(No symbol) [" + hexAddress(frame.pc) + ']';
}

QByteArray linePart(Dwfl_Module *module, Dwarf_Addr lookup)
{
    Dwfl_Line *line = module ? dwfl_module_getsrc(module, lookup) : nullptr;
    int number = 0;
    const char *file =
        line ? dwfl_lineinfo(line, nullptr, &number, nullptr, nullptr, nullptr) : nullptr;
    if (!file || number <= 0)
        return "(No line info)";
    return '(' + QByteArray(file) + ':' + QByteArray::number(number) + ')';
}

QByteArray frameLine(Dwfl *dwfl, const Frame &frame)
{
    // A return address points past its call; the call is what belongs to the frame.
    const Dwarf_Addr lookup = frame.isActivation ? frame.pc : frame.pc - 1;
    Dwfl_Module *module = dwfl_addrmodule(dwfl, lookup);
    return '\t' + symbolPart(module, frame, lookup) + linePart(module, lookup);
}

void restoreDefaultActions()
{
    for (int signal : faultSignals)
        std::signal(signal, SIG_DFL);
}

void onFaultSignal(int signal, siginfo_t *, void *context)
{
    // From here on any fault, also one inside the filter, ends the process.
    restoreDefaultActions();
    alarm(watchdogSeconds);
    const CrashHandler::FaultContext fault{static_cast<const ucontext_t *>(context)};
    CrashHandler::crashHandler(&fault);
    // Blocked while we run, the signal is delivered with its default action
    // as soon as we return, so the process ends by it.
    raise(signal);
}

// The filter's stack on one thread: mapped, made the calling thread's
// alternate signal stack, and on uninstall() the thread gets back the stack
// it had before (a sanitizer's, say, which its owner frees).
class AlternateStack
{
public:
    bool isInstalled() const { return m_memory != nullptr; }

    bool install()
    {
        void *memory = mmap(nullptr, alternateStackSize, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (memory == MAP_FAILED) {
            qWarning() << "Could not allocate the crash handler's stack:" << std::strerror(errno);
            return false;
        }
        stack_t stack = {};
        stack.ss_sp = memory;
        stack.ss_size = alternateStackSize;
        if (sigaltstack(&stack, &m_previous) != 0) {
            qWarning() << "Could not set the crash handler's stack:" << std::strerror(errno);
            munmap(memory, alternateStackSize);
            return false;
        }
        m_memory = memory;
        return true;
    }

    void uninstall()
    {
        if (!m_memory)
            return;
        m_previous.ss_flags &= SS_DISABLE;
        sigaltstack(&m_previous, nullptr);
        munmap(m_memory, alternateStackSize);
        m_memory = nullptr;
    }

private:
    void *m_memory = nullptr;
    stack_t m_previous = {};
};

// A started thread's stack goes with the thread.
class ThreadStack : public AlternateStack
{
public:
    ~ThreadStack() { uninstall(); }
};
} // namespace

void CrashHandler::installFaultFilter()
{
    // Kept for the life of the process, not the thread's: the filter may run
    // until the process's very end, during exit handlers too.
    static AlternateStack processStack;
    processStack.install();
    struct sigaction action = {};
    action.sa_sigaction = &onFaultSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : faultSignals) {
        if (sigaction(signal, &action, nullptr) != 0)
            qWarning("Could not install the crash handler for signal %d: %s", signal,
                     std::strerror(errno));
    }
}

bool CrashHandler::installThreadStack()
{
    thread_local ThreadStack stack;
    return stack.isInstalled() || stack.install();
}

void CrashHandler::dumpBacktrace(const FaultContext *fault)
{
    const DwflHandle dwfl = reportProcess();
    Walk walk;
    if (!dwfl || !walkStack(dwfl.get(), fault, &walk))
        return;
    for (std::size_t i = 0; i < walk.count; ++i)
        qCritical("%s", frameLine(dwfl.get(), walk.frames[i]).constData());
}
