{ Example.pas - a small inventory unit to show what the outline browser finds.

  Open any Pascal source to see its outline: the unit and its sections, the
  types with their members, the constants, variables and routines, each with
  its kind, its line and the comment written beside it. Double-click an entry
  marked as a container to step into it, and use Back to step out again.

  This comment block at the head of the file is the file's title. }
unit Example;

{$mode objfpc}{$H+}

interface

uses
  Classes, SysUtils;

const
  MaxStock = 9999;              // the most a shelf can hold
  DefaultShelf = 'A1';          // where new items go
  UnitNames: array[0..2] of string = ('piece', 'box', 'pallet');

type
  { How an item is counted }
  TStockUnit = (suPiece, suBox, suPallet);

  { A position in the warehouse }
  TShelfPos = record
    Row, Column: Integer;       // zero-based
    function ToText: string;    // for example 'R2C5'
  end;

  TStockChange = procedure(Sender: TObject; OldQty, NewQty: Integer) of object;

  EStockError = class(Exception);

  { TStockItem: one kind of goods on one shelf }
  TStockItem = class
  strict private
    FName: string;              // what the item is called
    FQuantity: Integer;         // how many there are
    FPos: TShelfPos;            // where it lies
    FOnChange: TStockChange;    // told about every change
  private
    procedure SetQuantity(AValue: Integer);
  protected
    procedure Changed(OldQty: Integer); virtual;
  public
    constructor Create(const AName: string; AQuantity: Integer = 0);
    destructor Destroy; override;
    function Take(Count: Integer): Boolean;   // false when too few are left
    procedure Put(Count: Integer);            // raises EStockError when full
    property Name: string read FName;
    property Quantity: Integer read FQuantity write SetQuantity;
    property Position: TShelfPos read FPos write FPos;
    property OnChange: TStockChange read FOnChange write FOnChange;
  end;

  { TInventory: all items, found by name }
  TInventory = class
  private
    FItems: TList;              // of TStockItem
    function GetCount: Integer;
    function GetItem(Index: Integer): TStockItem;
  public
    constructor Create;
    destructor Destroy; override;
    function Add(const AName: string; AQuantity: Integer): TStockItem;
    function Find(const AName: string): TStockItem;
    function TotalQuantity: Int64;
    property Count: Integer read GetCount;
    property Items[Index: Integer]: TStockItem read GetItem; default;
  end;

var
  Inventory: TInventory;        // the one inventory of the program

function FormatQuantity(Qty: Integer; AUnit: TStockUnit): string;

implementation

resourcestring
  SStockFull = 'Shelf %s is full';
  SNotEnough = 'Only %d of %s left';

{ TShelfPos }

function TShelfPos.ToText: string;
begin
  Result := Format('R%dC%d', [Row, Column]);
end;

{ TStockItem }

constructor TStockItem.Create(const AName: string; AQuantity: Integer);
begin
  inherited Create;
  FName := AName;
  FQuantity := AQuantity;
end;

destructor TStockItem.Destroy;
begin
  FOnChange := nil;
  inherited Destroy;
end;

procedure TStockItem.SetQuantity(AValue: Integer);
var
  Old: Integer;
begin
  if AValue = FQuantity then
    Exit;
  Old := FQuantity;
  FQuantity := AValue;
  Changed(Old);
end;

procedure TStockItem.Changed(OldQty: Integer);
begin
  if Assigned(FOnChange) then
    FOnChange(Self, OldQty, FQuantity);
end;

function TStockItem.Take(Count: Integer): Boolean;
begin
  Result := Count <= FQuantity;
  if Result then
    Quantity := FQuantity - Count;
end;

procedure TStockItem.Put(Count: Integer);
begin
  if FQuantity + Count > MaxStock then
    raise EStockError.CreateFmt(SStockFull, [FPos.ToText]);
  Quantity := FQuantity + Count;
end;

{ TInventory }

constructor TInventory.Create;
begin
  inherited Create;
  FItems := TList.Create;
end;

destructor TInventory.Destroy;
var
  I: Integer;
begin
  for I := 0 to FItems.Count - 1 do
    TStockItem(FItems[I]).Free;
  FItems.Free;
  inherited Destroy;
end;

function TInventory.GetCount: Integer;
begin
  Result := FItems.Count;
end;

function TInventory.GetItem(Index: Integer): TStockItem;
begin
  Result := TStockItem(FItems[Index]);
end;

function TInventory.Add(const AName: string; AQuantity: Integer): TStockItem;
begin
  Result := TStockItem.Create(AName, AQuantity);
  FItems.Add(Result);
end;

function TInventory.Find(const AName: string): TStockItem;
var
  I: Integer;
begin
  for I := 0 to FItems.Count - 1 do
  begin
    Result := GetItem(I);
    if SameText(Result.Name, AName) then
      Exit;
  end;
  Result := nil;
end;

function TInventory.TotalQuantity: Int64;

  { adds one item, skipping the empty ones }
  procedure AddItem(Item: TStockItem; var Sum: Int64);
  begin
    if Item.Quantity > 0 then
      Inc(Sum, Item.Quantity);
  end;

var
  I: Integer;
begin
  Result := 0;
  for I := 0 to Count - 1 do
    AddItem(Items[I], Result);
end;

function FormatQuantity(Qty: Integer; AUnit: TStockUnit): string;
begin
  Result := Format('%d %s', [Qty, UnitNames[Ord(AUnit)]]);
  if Qty <> 1 then
    Result := Result + 's';  // plural
end;

initialization
  Inventory := TInventory.Create;

finalization
  Inventory.Free;

end.
