{ Conditional directives in type and constant declarations: alternative headings on
  their own lines and on the heading's line, alternative members, alternative typed
  constants. }
unit ConditionalTypes;

interface

type
  {$ifdef USERECORDWITHMETHODS}
  TRC4 = record
  {$else}
  TRC4 = object
  {$endif}
    procedure Init;
  end;

  TLocker = {$ifdef USERECORDWITHMETHODS}record{$else}object{$endif}
  private
    FLock: Integer;
  public
    procedure Lock;
  end;

  THeader = {$ifdef FPC}bitpacked{$else}packed{$endif} record
    Flags: Byte;
  end;

  TPacked = {$ifdef PACKRECORDS}packed{$endif} record
    Size: Word;
  end;

  {$ifdef FPC}
  TList = class(TFPList)
  {$else}
  TList = class(TList<Pointer>)
  {$endif}
  private
    {$ifdef CPU64}
    FCount: Int64;
    {$else}
    FCount: Integer;
    {$endif}
  public
    property Count: Integer read FCount;
  end;

  TNext = class
  end;

const
  {$IFDEF X}
  A: array[0..1] of Integer = (
  {$ELSE}
  A: array[0..0] of Integer = (
  {$ENDIF}
    1);
  B: array[0..1] of Integer = (1, {$ifdef X} 2 {$else} 3 {$endif});
  PathSep = {$ifdef MSWINDOWS}'\'{$else}'/'{$endif};

procedure P;

implementation

procedure P;
begin
end;

procedure TRC4.Init;
begin
end;

end.
