{ External routines in their several forms, and a routine body that comes from an include
  file. None of them may take the routines after it in. }
unit ExternalRoutines;

interface

function A: Int64; cdecl external 'c';
function B(P: PChar): PtrInt; cdecl external 'c' name 'strlen';
function C: Cardinal; stdcall; external kernel32 name 'GetTickCount';
function D: Integer; stdcall; external 'user32.dll' delayed;
procedure E; external 'lib' index 5;
function F: Integer;
  {$ifdef MSWINDOWS}stdcall; external kernel32;{$endif}

implementation

function G(X: Integer): Integer; cdecl external 'm' name 'abs';

procedure Compress(P: Pointer);
  {$I Compress_x86_64.inc}
end;

procedure Next;
begin
end;

{$ifndef MSWINDOWS}
function F: Integer;
begin
  Result := 0;
end;
{$endif}

procedure Last;
begin
end;

end.
