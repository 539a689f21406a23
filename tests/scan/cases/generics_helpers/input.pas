(* Generics in both syntaxes, helpers and records with methods. *)
unit GenericsHelpers;

{$mode objfpc}{$modeswitch advancedrecords}

interface

type
  generic TList<T> = class
  private
    FItems: array of T;
  public
    function Add(const Item: T): Integer;
    property Count: Integer read GetCount;
  end;

  TPair<TKey, TValue> = record
    Key: TKey;
    Value: TValue;
    constructor Create(AKey: TKey; AValue: TValue);
  end;

  TIntList = specialize TList<Integer>;

  TStringHelper = type helper for string
    function Shout: string;
  end;

  TListHelper = class helper(TObjectHelper) for TObject
    procedure Dump;
  end;

implementation

function TList.Add(const Item: T): Integer;
begin
  Result := Length(FItems);
end;

constructor TPair<TKey, TValue>.Create(AKey: TKey; AValue: TValue);
begin
  Key := AKey;
  Value := AValue;
end;

function TStringHelper.Shout: string;
begin
  Result := UpperCase(Self) + '!';
end;

procedure TListHelper.Dump;
begin
end;

end.
