{ Classes, interfaces and objects with their members. }
unit Classes2;

{$mode objfpc}{$H+}

interface

type
  TShape = class;
  IDrawable = interface;

  IDrawable = interface(IInterface)
    ['{8F5B5C4A-1B2C-4D3E-9F00-112233445566}']
    procedure Draw;
  end;

  { TShape: the base of all shapes }
  TShape = class(TInterfacedObject, IDrawable)
  strict private
    FName: string;
    FLeft, FTop: Integer;
  private
    FOnChange: TNotifyEvent;
    procedure SetName(const AValue: string);
  protected
    class var Count: Integer;
    procedure Changed; virtual;
  public
    type
      TKind = (skPlain, skFancy);
    const
      DefaultName = 'shape';
    constructor Create(const AName: string); overload;
    destructor Destroy; override;
    procedure Draw; virtual; abstract;
    class function Instances: Integer; static;
    property Name: string read FName write SetName;
    property Items[Index: Integer]: TShape read GetItem; default;
  published
    property OnChange: TNotifyEvent read FOnChange write FOnChange;
  end;

  EShapeError = class(Exception);
  TShapeClass = class of TShape;

  TOldStyle = object
    Width: Integer;
    procedure Init;
  end;

  TVariant = packed record
    Tag: Byte;
    case Kind: Integer of
      0: (AsInt: Integer);
      1: (AsPair: record Lo, Hi: Word; end);
  end;

implementation

procedure TShape.SetName(const AValue: string);
begin
  FName := AValue;
end;

procedure TShape.Changed;
begin
  if Assigned(FOnChange) then FOnChange(Self);
end;

constructor TShape.Create(const AName: string);
begin
  inherited Create;
  FName := AName;
end;

destructor TShape.Destroy;
begin
  inherited Destroy;
end;

class function TShape.Instances: Integer;
begin
  Result := Count;
end;

procedure TOldStyle.Init;
begin
  Width := 0;
end;

end.
