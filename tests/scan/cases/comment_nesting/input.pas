{ Brace comments nest only where the source switches nesting on: a "{" inside a
  comment does not open another one. }
unit CommentNesting;

{$I settings.inc}

interface

procedure A; {old code {}
procedure B;

implementation

{ procedure Old;
  { a left-over brace }
procedure A;
begin
end;

{$mode objfpc}
{ nested { comments } count in objfpc mode }
procedure B;
begin
end;

{$modeswitch nestedcomments-}
{ and stop {counting }
procedure C;
begin
end;

{$modeswitch nestedcomments}
{ counting { again } }
procedure D;
begin
end;

{$mode delphi}
{ and not {here }
procedure E;
begin
end;

end.
