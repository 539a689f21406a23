{ Declarations that span lines, share a type or hide in strings and comments. }
UNIT Declarations;

INTERFACE

USES
  SysUtils,
  Classes;

CONST
  MaxItems = 100; // the limit
  Greeting = 'procedure begin end; { not a comment }';
  Limits: array[0..2] of Integer = (1,
    2, 3);
  Origin: TPointRec = (X: 0; Y: 0);

TYPE
  TColor = (clRed, clGreen, clBlue);
  TLongEnum =
    (leFirst,
     leSecond);
  TIntArray = array of Integer;
  TNotify = procedure(Sender: TObject; Code: Integer) of object;

VAR
  Left, Top: Integer;
  First,
  Second: Double;
  { Hidden: Integer; }
  // Dropped: Integer;
  (* Gone: Integer; *)

RESOURCESTRING
  SNotFound = 'File not found';

THREADVAR
  Depth: Integer;

{$IFDEF UNIX}
function PathSep: Char;
{$ELSE}
function PathSep: WideChar;
{$ENDIF}

IMPLEMENTATION

function PathSep: Char;
begin
  Result := '/';
end;

END.
