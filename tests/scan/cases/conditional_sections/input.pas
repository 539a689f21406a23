{ Section keywords and the end of the unit under conditional directives. }
unit ConditionalSections;

interface

uses
  {$ifdef MSWINDOWS}
  Windows,
  {$else}
  BaseUnix,
  {$endif}
  SysUtils;

{$ifdef OSPOSIX}
implementation
{$else}
function QueryInfo(P: PWideChar): Integer; stdcall;
implementation
function QueryInfo(P: PWideChar): Integer; stdcall; external 'secur32.dll';
{$endif}

{$ifdef MSWINDOWS}
uses
  Messages;
{$endif}

procedure Work;
begin
end;

{$ifndef NOINIT}
initialization
  Work;
{$endif}
{$ifdef FPC}
end.
{$else}
end.
{$endif}
