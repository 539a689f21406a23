{ Conditional directives around routines: alternative headings, alternative bodies, a
  body whose begin stands in an inactive branch, and alternatives in consecutive
  conditionals. The first branch is outlined; what follows keeps its level. }
unit ConditionalRoutines;

interface

procedure P(X: Integer);
function Hash(const S: string): Cardinal;

implementation

{$ifdef A}
procedure P(X: Integer); cdecl;
var S: string;
{$else}
procedure P;
{$endif}
begin
end;

procedure AfterHeadings;
begin
end;

function Hash(const S: string): Cardinal;
{$ifdef cpuarm}
var i: Integer;
begin
  Result := 0;
end;
{$else}
var k: Cardinal;
begin
  Result := 1;
end;
{$endif}

function GetTicks: Int64;
{$IFDEF WINDOWS}
begin
  Result := GetTickCount64;
end;
{$ELSE}
var
  tv: TTimeVal;
begin
  Result := tv.tv_sec;
end;
{$ENDIF}

function GetDosTicks: LongInt;
{$IFDEF OS2}
var
  L: LongInt;
begin
  Result := L div 55;
end;
{$ENDIF}
{$IFDEF Unix}
var
  tv: TimeVal;
begin
  Result := tv.tv_sec;
end;
{$ENDIF Unix}
{$ifdef Windows}
begin
  Result := GetTickCount div 55;
end;
{$endif Windows}

function Rol32(Value: Cardinal; Shift: Byte): Cardinal;
{$ifdef CPUX64}
{$ifdef FPC}nostackframe; assembler; asm {$else} asm .noframe {$endif}
  mov eax, edi
  mov cl, sil
  rol eax, cl
end;
{$else}
begin
  Result := (Value shl Shift) or (Value shr (32 - Shift));
end;
{$endif CPUX64}

{$ifdef USE_C_MURMUR}
function Murmur3(Data: Pointer; Len: Integer): Cardinal; cdecl;
var
  Dummy: Integer;
{$else}
function Murmur3(Data: Pointer; Len: Integer): Cardinal;
{$endif}
var
  State: Cardinal;
begin
  Result := State;
end;

procedure Body;
begin
  {$ifdef DEBUG}
  if Verbose then begin
  {$else}
  if Quiet then begin
  {$endif}
    Log('x');
  end;
end;

{$ifdef FPC}
procedure OnlyFpc;
begin
end;
{$else}
procedure OnlyDelphi;
begin
end;
{$endif}

procedure Last;
begin
end;

end.
