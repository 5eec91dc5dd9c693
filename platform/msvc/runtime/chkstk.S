# __chkstk: touches every page of a frame larger than a page, from the top down, so that the
# stack's guard page grows the stack in order. The size is in rax; the stack pointer is not
# moved; every register but the flags is kept.
        .text
        .globl  __chkstk
        .def    __chkstk
        .scl    2
        .type   32
        .endef
        .p2align 4
__chkstk:
        pushq   %rcx
        pushq   %rax
        leaq    24(%rsp), %rcx          # the caller's stack pointer
        cmpq    $0x1000, %rax
        jb      2f
1:      subq    $0x1000, %rcx
        orq     $0, (%rcx)
        subq    $0x1000, %rax
        cmpq    $0x1000, %rax
        ja      1b
2:      subq    %rax, %rcx
        orq     $0, (%rcx)
        popq    %rax
        popq    %rcx
        retq
