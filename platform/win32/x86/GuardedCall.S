// The frame that makes the 32-bit fault guard. x86 Windows has no unwind
// tables: a structured exception handler is found through a chain of
// registration records on the stack, whose head is at %fs:0.
//
// mqGuardedCall(body, context, code) puts a record of its own at the head of
// the chain, calls body(context), takes the record off and returns 1. Its
// handler, mqGuardHandler (FaultGuard.cpp), stores the code of an exception
// it takes in *code, unwinds the records the body put above it, and calls
// mqGuardResume(record), which restores this frame as it was when the body
// was called and makes mqGuardedCall return 0.
//
// The record, at the stack pointer while the body runs:
//    0  the next record of the chain
//    4  the handler
//    8  `code`
//   12  the x87 control word on entry
// Above it the callee-saved registers, then the caller's frame.

    .text
    .p2align 4
    .globl _mqGuardedCall
    .def _mqGuardedCall; .scl 2; .type 32; .endef
_mqGuardedCall:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    subl $16, %esp
    movl 16(%ebp), %eax
    movl %eax, 8(%esp)
    fnstcw 12(%esp)
    movl $_mqGuardHandler, 4(%esp)
    movl %fs:0, %eax
    movl %eax, (%esp)
    movl %esp, %fs:0
    // The body's argument, below the record.
    pushl 12(%ebp)
    call *8(%ebp)
    addl $4, %esp
    movl (%esp), %eax
    movl %eax, %fs:0
    movl $1, %eax
.LleaveFrame:
    addl $16, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

// mqGuardResume(record): never returns to its caller. The body's frames and
// the exception's dispatch, all below the record, are abandoned. The x87
// register stack may hold what the body had pushed: it is emptied, with the
// control word the frame began with; the direction flag is cleared, as
// every function expects it.
    .p2align 4
    .globl _mqGuardResume
    .def _mqGuardResume; .scl 2; .type 32; .endef
_mqGuardResume:
    movl 4(%esp), %esp
    movl (%esp), %eax
    movl %eax, %fs:0
    cld
    fninit
    fldcw 12(%esp)
    xorl %eax, %eax
    jmp .LleaveFrame
