// __chkstk for the ARM64 library, which links no C runtime: clang calls it
// in the prologue of a frame larger than a page (the drive-letter lookup's
// volume names), with the frame's size in 16-byte units in x15, before it
// moves sp. Windows grows a thread's stack one guard page at a time, so every
// page of the new frame is touched in order from the top down; skipping one
// would fault past the guard page. Only x16, x17 and the flags may change.
    .text
    .p2align 2
    .globl __chkstk
__chkstk:
    lsl     x16, x15, #4
    mov     x17, sp
1:
    sub     x17, x17, #4096
    subs    x16, x16, #4096
    ldr     xzr, [x17]
    b.gt    1b
    ret
