{ A program whose heading keyword depends on the platform. }
{$ifdef android}library{$else}program{$endif} viewer;

{$mode objfpc}

uses
  {$ifdef unix}cthreads,{$endif}
  SysUtils;

{$ifdef android}
procedure JNI_OnLoad; cdecl;
begin
end;

exports
  JNI_OnLoad;
{$endif}

procedure Show;
begin
end;

{$ifdef android}
begin
end.
{$else}
begin
  Show;
end.
{$endif}
