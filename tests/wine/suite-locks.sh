# The programs' runtime locks under contention, with the semaphore stand-in
# that keeps CreateSemaphoreW (a stub on Windows 98) off their import tables:
# the checks on the built files show that the programs cannot reach the
# Unicode call; this shows, in a program linked as they are, that the call is
# not bound and that the locks work through CreateSemaphoreA.
prefix win98
text_mode=1 check "contended runtime locks work through CreateSemaphoreA" 0 "imports CreateSemaphoreW: no
caught 20000 of 20000 exceptions thrown at once
constructed the shared static 1 time(s)
named semaphore: made, second open finds it" locks-host.exe
finish
