// The frame that makes the fault guard: mqGuardedCall(body, context, code)
// calls body(context) inside a scope watched by the system's
// __C_specific_handler. When an exception raised in the body passes
// mqGuardFilter, which stores its code in *code, the system unwinds to this
// frame and resumes at .LtookException, and the routine returns 0. A body
// that runs to its end makes it return 1.
//
// The scope table that follows the handler in the unwind data has one row of
// image-relative addresses: scope begin, scope end, filter, jump target.

    .text
    .p2align 4
    .globl mqGuardedCall
    .def mqGuardedCall; .scl 2; .type 32; .endef
    .seh_proc mqGuardedCall
mqGuardedCall:
    // The callee's 32-byte home area, then 8 bytes of our own that keep the
    // stack aligned to 16 at the call and hold `code` for the filter: the
    // frame's stack pointer after this prologue is the establisher frame
    // that the filter is given, so `code` lies 32 bytes above it.
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %r8, 32(%rsp)
    movq %rcx, %rax
    movq %rdx, %rcx
.LscopeBegin:
    call *%rax
    // The system finds the scope by this frame's return address, which the
    // nop keeps inside it.
    nop
.LscopeEnd:
    movl $1, %eax
    addq $40, %rsp
    ret
.LtookException:
    xorl %eax, %eax
    addq $40, %rsp
    ret
    .seh_handler __C_specific_handler, @except
    .seh_handlerdata
    .long 1
    .rva .LscopeBegin
    .rva .LscopeEnd
    .rva mqGuardFilter
    .rva .LtookException
    .text
    .seh_endproc
