-- Links a sheet to a deal. A sheet that another deal already holds fails the
-- save (the primary key) rather than moving silently.
insert into jur.t_deal_link (id_sheet, id_deal)
values ( :id , :id_deal )
returning id_sheet as id, id_deal
