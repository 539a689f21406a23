// A program with asm blocks, an include directive and a main block.
program AsmDemo;

{$asmmode intel}
{$I settings.inc}

uses
  SysUtils;

const
  Steps = 3;

function AddAsm(A, B: LongInt): LongInt; assembler;
asm
  mov eax, A
  add eax, B   // end of the sum
end;

procedure Mixed(var X: Integer);
begin
  asm
    inc dword ptr [X]
  end;
  if X > Steps then
    X := 0;
end;

var
  N: Integer;

begin
  N := AddAsm(1, 2);
  Mixed(N);
  Writeln('begin ', N, ' end.');
end.
