# CallDllFunction: the declared function's index in EAX, its arguments already pushed by the
# caller. Resolves the function and jumps to it, so it sees the caller's arguments unchanged and
# returns straight to the caller with its own result.
        .text
        .globl  _CallDllFunction
_CallDllFunction:
        pushl   %ecx
        pushl   %edx
        pushl   %eax
        call    _VeltaroResolveDllFunction
        addl    $4, %esp
        popl    %edx
        popl    %ecx
        jmp     *%eax
