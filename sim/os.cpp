#include "os.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <chrono>
#include <mutex>
#include <thread>
#endif

namespace sim::os {

#if defined(_WIN32)

namespace {
CRITICAL_SECTION *TheLock()
{
    static CRITICAL_SECTION *section = [] {
        static CRITICAL_SECTION s;
        InitializeCriticalSection(&s);
        return &s;
    }();
    return section;
}
HANDLE background;
std::function<void()> job;

DWORD WINAPI RunJob(LPVOID)
{
    job();
    return 0;
}
}  // namespace

void Lock() { EnterCriticalSection(TheLock()); }
void Unlock() { LeaveCriticalSection(TheLock()); }

void StartBackground(std::function<void()> fn)
{
    JoinBackground();
    job = std::move(fn);
    DWORD id;
    background = CreateThread(nullptr, 0, RunJob, nullptr, 0, &id);
    if (!background) job();  // no thread to be had: finish it now
}

void JoinBackground()
{
    if (!background) return;
    WaitForSingleObject(background, INFINITE);
    CloseHandle(background);
    background = nullptr;
}

void SleepMs(unsigned ms) { Sleep(ms); }
// GetTickCount wraps after 49 days; the waits it times last seconds.
unsigned long long NowMs() { return GetTickCount(); }

#else

namespace {
std::mutex theLock;
std::thread background;
}  // namespace

void Lock() { theLock.lock(); }
void Unlock() { theLock.unlock(); }

void StartBackground(std::function<void()> fn)
{
    JoinBackground();
    background = std::thread(std::move(fn));
}

void JoinBackground()
{
    if (background.joinable()) background.join();
}

void SleepMs(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
unsigned long long NowMs()
{
    using namespace std::chrono;
    return (unsigned long long)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

#endif

}  // namespace sim::os
