{ Attributes before types and members: alone, stacked, with arguments, several in
  one bracket, on the heading's own line. }
unit Attributes;

{$mode delphi}

interface

type
  [TestFixture]
  TMyTests = class
  public
    [Setup]
    procedure Setup;
    [Test]
    [TestCase('One', '1,2')]
    [TestCase('Two', '3,4')]
    procedure Add(const A, B: Integer);
    [Test] procedure SameLine;
  end;

  [TestFixture('Strings')] TStringTests = class(TObject)
  strict private
    [Weak] FOwner: TObject;
    [JSONName('x'), Required]
    FValue: Integer;
  public
    [JSONName('value')] property Value: Integer read FValue;
  end;

  [MVCPath('/api'), MVCProduces('application/json')]
  TPeopleController = class(TMVCController)
  public
    [MVCPath('/people/($id)')]
    [MVCHTTPMethod([httpGET, httpHEAD])]
    procedure GetPerson(const id: Integer);
    [MVCPath('/people'), MVCHTTPMethod([httpPOST]), MVCConsumes(TMVCMediaType.APPLICATION_JSON)]
    function CreatePerson([MVCFromBody] const Person: TObject): Integer;
  end;

  [Category('slow')]
  [Repeat(3)]
  TRecordTests = record
    [Test]
    class procedure Run; static;
  end;

  IService = interface
    ['{8A4C2C13-3B7E-4E64-9B8C-5A0C7E1D2F11}']
    [Cached]
    function Name: string;
  end;

  TNext = class
  end;

implementation

procedure TMyTests.Setup;
begin
end;

procedure TMyTests.Add(const A, B: Integer);
begin
end;

procedure TMyTests.SameLine;
begin
end;

procedure TPeopleController.GetPerson(const id: Integer);
begin
end;

function TPeopleController.CreatePerson(const Person: TObject): Integer;
begin
  Result := 0;
end;

class procedure TRecordTests.Run;
begin
end;

end.
